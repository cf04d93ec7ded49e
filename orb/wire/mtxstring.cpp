#include "orb/wire/mtxstring.h"

#include "orb/wire/wireobject_p.h"
#include "orb/wire/xmltext.h"

using namespace orb::Internal;

MtxString::MtxString() = default;

MtxString::MtxString(const char *text)
{
    if (text)
        m_value.assign(text);
}

std::unique_ptr<MtxObj> MtxString::clone() const
{
    return allocateCopy(*this);
}

const char *MtxString::getTypeName() const
{
    return "Orb.MtxString";
}

const char *MtxString::getElementName() const
{
    return "MtxString";
}

int MtxString::toXML(std::string &out, const char *elementName, int withType, int) const
{
    writeOpenTag(out, elementName, withType);
    orb::appendEscaped(out, m_value.view());
    writeCloseTag(out, elementName);
    return 1;
}

bool MtxString::fromXML(const pugi::xml_node &node)
{
    std::string scratch;
    if (isElement(node))
        readText(m_value, node, scratch);
    return true;
}

bool MtxString::fromReply(const pugi::xml_node &responseNode)
{
    return fromXML(responseNode);
}

std::unique_ptr<MtxObj> MtxString::newInstance() const
{
    return std::make_unique<MtxString>();
}
