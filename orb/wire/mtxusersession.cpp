#include "orb/wire/mtxusersession.h"

#include "orb/wire/wireobject_p.h"
#include "orb/wire/xmltext.h"

using namespace orb::Internal;

const char *MtxUserSession::getTypeName() const
{
    return "Orb.MtxUserSession";
}

const char *MtxUserSession::getElementName() const
{
    return "MtxUserSession";
}

int MtxUserSession::toXML(std::string &out, const char *elementName, int withType, int) const
{
    writeOpenTag(out, elementName, withType);
    orb::appendElement(out, "user-name", m_userName.view());
    m_objectId.toXML(out, "pro-object-iD", 1);
    orb::appendElement(out, "session-key", m_sessionKey.view());
    writeCloseTag(out, elementName);
    return 1;
}

bool MtxUserSession::fromXML(const pugi::xml_node &node)
{
    if (!isElement(node))
        return false;
    bool sawObjectId = false;
    bool sawSessionKey = false;
    std::string scratch;
    forEachChildElement(node, [&](const pugi::xml_node &child) {
        if (named(child, "pro-object-iD")) {
            m_objectId.fromXML(child);
            sawObjectId = true;
        } else if (named(child, "session-key")) {
            readText(m_sessionKey, child, scratch);
            sawSessionKey = true;
        } else if (named(child, "user-name")) {
            readText(m_userName, child, scratch);
        }
    });
    return sawObjectId && sawSessionKey;
}

std::unique_ptr<MtxObj> MtxUserSession::newInstance() const
{
    return std::make_unique<MtxUserSession>();
}
