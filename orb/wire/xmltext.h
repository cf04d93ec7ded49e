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

// Wire documents hold their text in the code page: the parser reads the
// code-page bytes as they are. That is sound because the markup is ASCII and
// no multi-byte character of an ASCII-compatible code page uses a byte below
// 0x40 other than digits, so no character can be taken for markup. A node's
// value is then already the text a wire object stores.

// The text of a node: all text and CDATA below it, concatenated in document
// order.
KEEL_EXPORT std::string nodeText(const pugi::xml_node &node);

// Parses XML text in the code page into document without copying it: the
// document is built inside localText, which the parser changes and which must
// outlive the document. False (with a message saying where and why) when the
// text is not well-formed. Numeric character references beyond ASCII become
// code-page bytes (dropped when the code page lacks them). Under a
// StrictReading, a reference to NUL or to a character the code page lacks,
// and bytes that are no character of the code page, are noted there with the
// element that holds them.
KEEL_EXPORT bool parseLocalDocumentInPlace(pugi::xml_document &document, std::string &localText,
                                           std::string *errorMessage = nullptr);

// Parses UTF-8 XML text (a file, a stored value) into a document of code-page
// text, as parseLocalDocumentInPlace does.
KEEL_EXPORT bool parseUtf8Document(pugi::xml_document &document, std::string_view utf8Text,
                                   std::string *errorMessage = nullptr);

} // namespace orb
