#include "orb/wire/mtxobjid.h"

#include <cstdio>

#include "orb/wire/wireobject_p.h"
#include "orb/wire/xmltext.h"

using namespace orb::Internal;

MtxObjID::MtxObjID() = default;

const char *MtxObjID::getTypeName() const
{
    return "Orb.MtxObjID";
}

const char *MtxObjID::getElementName() const
{
    return "MtxObjID";
}

int MtxObjID::toXML(std::string &out, const char *elementName, int withType, int) const
{
    char attributes[64];
    std::snprintf(attributes, sizeof attributes, "ID=\"%d\" type=\"%d\" version=\"%d\"", m_id, m_type,
                  m_version);
    writeOpenTag(out, elementName, withType, attributes);
    orb::appendElement(out, "display-string", m_display.view());
    writeCloseTag(out, elementName);
    return 1;
}

bool MtxObjID::fromXML(const pugi::xml_node &node)
{
    if (!isElement(node))
        return true;
    m_id = readInt(node.attribute("ID").value());
    m_version = readInt(node.attribute("version").value());
    m_type = readInt(node.attribute("type").value());
    std::string scratch;
    forEachChildElement(node, [this, &scratch](const pugi::xml_node &child) {
        if (named(child, "display-string"))
            readText(m_display, child, scratch);
    });
    return true;
}

std::unique_ptr<MtxObj> MtxObjID::newInstance() const
{
    return std::make_unique<MtxObjID>();
}
