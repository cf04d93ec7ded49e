#include "orb/wire/mtxstatus.h"

#include "orb/wire/wireobject_p.h"
#include "orb/wire/xmltext.h"

using namespace orb::Internal;

MtxStatus::MtxStatus() : m_code(SuccessCode), m_message(SuccessMessage) {}

void MtxStatus::set(std::string_view code, std::string_view message)
{
    setCode(code);
    setMessage(message);
}

bool MtxStatus::succeeded() const
{
    return m_code == SuccessCode && m_message == SuccessMessage;
}

const char *MtxStatus::getTypeName() const
{
    return "Orb.MtxStatus";
}

const char *MtxStatus::getElementName() const
{
    return "MtxStatus";
}

int MtxStatus::toXML(std::string &out, const char *elementName, int withType, int) const
{
    writeOpenTag(out, elementName, withType);
    orb::appendElement(out, "code", m_code.view());
    orb::appendElement(out, "message", m_message.view());
    writeCloseTag(out, elementName);
    return 1;
}

bool MtxStatus::fromXML(const pugi::xml_node &node)
{
    if (!isElement(node))
        return true;
    std::string scratch;
    forEachChildElement(node, [this, &scratch](const pugi::xml_node &child) {
        if (named(child, "code"))
            readText(m_code, child, scratch);
        else if (named(child, "message"))
            readText(m_message, child, scratch);
    });
    return true;
}

std::unique_ptr<MtxObj> MtxStatus::newInstance() const
{
    return std::make_unique<MtxStatus>();
}
