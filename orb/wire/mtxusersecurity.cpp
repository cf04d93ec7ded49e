#include "orb/wire/mtxusersecurity.h"

#include "orb/wire/wireobject_p.h"
#include "orb/wire/xmltext.h"

using namespace orb::Internal;

const char *MtxUserSecurity::getTypeName() const
{
    return "Orb.MtxUserSecurity";
}

const char *MtxUserSecurity::getElementName() const
{
    return "MtxUserSecurity";
}

int MtxUserSecurity::toXML(std::string &out, const char *elementName, int withType, int) const
{
    writeOpenTag(out, elementName, withType);
    orb::appendElement(out, "security", m_security.view());
    writeCloseTag(out, elementName);
    return 1;
}

bool MtxUserSecurity::fromXML(const pugi::xml_node &node)
{
    if (!isElement(node))
        return true;
    std::string scratch;
    forEachChildElement(node, [this, &scratch](const pugi::xml_node &child) {
        if (named(child, "security"))
            readText(m_security, child, scratch);
    });
    return true;
}

std::unique_ptr<MtxObj> MtxUserSecurity::newInstance() const
{
    return std::make_unique<MtxUserSecurity>();
}
