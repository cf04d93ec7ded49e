#pragma once

#include <string>

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include "orb/wire/codepage.h"
#include "orb/wire/mtxobj.h"
#include "orb/wire/xmltext.h"

// Writing and reading wire objects the way a request and a reply do: the
// text is built and parsed in the code page.
namespace wiretest {

inline std::string write(const MtxObj &object, const char *elementName = "value")
{
    std::string out;
    object.toXML(out, elementName, 1);
    return out;
}

// Holds the parsed document of some code-page XML text.
class Parsed
{
public:
    explicit Parsed(const std::string &localText) : m_text(localText)
    {
        std::string error;
        m_ok = orb::parseLocalDocumentInPlace(m_document, m_text, &error);
        EXPECT_TRUE(m_ok) << "not well-formed: " << error << "\n" << localText;
    }
    pugi::xml_node root() const { return m_document.document_element(); }

private:
    std::string m_text; // the document lives in it
    pugi::xml_document m_document;
    bool m_ok = false;
};

inline void read(MtxObj &object, const std::string &localText)
{
    Parsed parsed(localText);
    object.fromXML(parsed.root());
}

// Local (code-page) text of a UTF-8 literal.
inline std::string local(const char *utf8)
{
    return orb::fromUtf8(utf8);
}

} // namespace wiretest
