#include "tools/orbcall/capturedresponse.h"

#include <sstream>

bool CapturedResponse::fromReply(const pugi::xml_node &responseNode)
{
    std::ostringstream text;
    responseNode.print(text, "", pugi::format_raw);
    m_xml = text.str();
    m_received = true;
    return true;
}
