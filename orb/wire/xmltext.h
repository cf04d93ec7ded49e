#pragma once

#include <string>
#include <string_view>

#include <pugixml.hpp>

#include "orb/wire/keelexport.h"

// The small pieces of XML text handling shared by every wire type.
namespace orb {

// Appends text with "&", "<" and ">" written as entities; any other byte is
// copied as it stands, so values without those characters keep their bytes.
KEEL_EXPORT void appendEscaped(std::string &out, std::string_view text);

// Like appendEscaped, and writes '"' as "&quot;" too: for values inside a
// double-quoted attribute.
KEEL_EXPORT void appendEscapedAttribute(std::string &out, std::string_view text);

// "<name>" + escaped text + "</name>"
KEEL_EXPORT void appendElement(std::string &out, std::string_view name, std::string_view text);

// The text of a node: all text and CDATA below it, concatenated in document
// order and converted to the code page.
KEEL_EXPORT std::string nodeText(const pugi::xml_node &node);

// Parses UTF-8 XML text into document; false (with a message saying where and
// why) when it is not well-formed.
KEEL_EXPORT bool parseDocument(pugi::xml_document &document, std::string_view utf8Text,
                               std::string *errorMessage = nullptr);

// The same without copying: the document is built inside utf8Text, which the
// parser changes and which must outlive the document.
KEEL_EXPORT bool parseDocumentInPlace(pugi::xml_document &document, std::string &utf8Text,
                                      std::string *errorMessage = nullptr);

} // namespace orb
