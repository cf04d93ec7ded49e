#pragma once

#include <string>

#include "orb/wire/mtxobj.h"

// A response object of no particular type: it keeps the reply's response
// element as it was received, so that the tool can show any answer.
class CapturedResponse : public MtxObj
{
public:
    bool fromReply(const pugi::xml_node &responseNode) override;

    bool received() const { return m_received; }
    // The response element as UTF-8 XML.
    const std::string &xml() const { return m_xml; }

private:
    bool m_received = false;
    std::string m_xml;
};
