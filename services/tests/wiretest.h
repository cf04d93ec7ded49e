#pragma once

#include <string>

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include "orb/wire/codepage.h"
#include "orb/wire/mtxobj.h"
#include "orb/wire/xmltext.h"

// Writing and reading wire objects the way a request and a reply do: the
// text is built in the code page and parsed as UTF-8.
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
    explicit Parsed(const std::string &localText)
    {
        std::string error;
        m_ok = orb::parseDocument(m_document, orb::toUtf8(localText), &error);
        EXPECT_TRUE(m_ok) << "not well-formed: " << error << "\n" << localText;
    }
    pugi::xml_node root() const { return m_document.document_element(); }

private:
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
