#include "orb/wire/mtxarray.h"

#include "orb/wire/wireobject_p.h"

using namespace orb::Internal;

MtxArray::MtxArray() = default;

MtxArray::MtxArray(const MtxArray &other) : MtxObj(other)
{
    m_items.reserve(other.m_items.size());
    for (const auto &item : other.m_items)
        m_items.push_back(copyObject(*item));
}

MtxArray &MtxArray::operator=(const MtxArray &other)
{
    if (this == &other)
        return *this;
    MtxObj::operator=(other);
    std::vector<std::unique_ptr<MtxObj>> items;
    items.reserve(other.m_items.size());
    for (const auto &item : other.m_items)
        items.push_back(copyObject(*item));
    m_items = std::move(items);
    return *this;
}

// Items that live in a queue page go back to their queue when deleted.
MtxArray::~MtxArray() = default;

void MtxArray::append(std::unique_ptr<MtxObj> item)
{
    if (item)
        m_items.push_back(std::move(item));
}

std::unique_ptr<MtxObj> MtxArray::takeAt(std::size_t index)
{
    if (index >= m_items.size())
        return nullptr;
    std::unique_ptr<MtxObj> item = std::move(m_items[index]);
    m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(index));
    return item;
}

void MtxArray::removeAt(std::size_t index)
{
    takeAt(index);
}

void MtxArray::clear()
{
    m_items.clear();
}

const char *MtxArray::getTypeName() const
{
    return "Orb.MtxArray";
}

const char *MtxArray::getElementName() const
{
    return "MtxArray";
}

int MtxArray::toXML(std::string &out, const char *elementName, int withType, int) const
{
    writeOpenTag(out, elementName, withType);
    for (const auto &item : m_items)
        item->toXML(out, item->getElementName(), 1);
    writeCloseTag(out, elementName);
    return 1;
}

bool MtxArray::fromXML(const pugi::xml_node &node)
{
    return !isElement(node) || readItems(node, getFactory(), m_items);
}

bool MtxArray::fromReply(const pugi::xml_node &responseNode)
{
    if (pugi::xml_node first = firstChildElement(responseNode))
        return fromXML(first);
    return true;
}

std::unique_ptr<MtxObj> MtxArray::newInstance() const
{
    return std::make_unique<MtxArray>();
}
