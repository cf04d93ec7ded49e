#pragma once

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include "orb/wire/xmltext.h"

// The tests' texts are GBK bytes, the code page of the deployed system.
inline const bool wireTestCodePageSet = (setenv("KEELMON_CODEPAGE", "GBK", 1), true);

// Parses xml (UTF-8) and keeps the document alive for the element it returns.
class ParsedXml
{
public:
    explicit ParsedXml(const std::string &xml)
    {
        std::string error;
        m_ok = orb::parseUtf8Document(m_document, xml, &error);
        EXPECT_TRUE(m_ok) << error << "\nin: " << xml;
    }
    pugi::xml_node root() const { return m_document.document_element(); }
    bool ok() const { return m_ok; }

private:
    pugi::xml_document m_document;
    bool m_ok = false;
};

template <class T>
std::string xmlOf(const T &object, const char *elementName = "value", int withType = 1)
{
    std::string out;
    object.toXML(out, elementName, withType);
    return out;
}
