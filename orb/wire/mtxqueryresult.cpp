#include "orb/wire/mtxqueryresult.h"

#include "orb/wire/wireobject_p.h"

using namespace orb::Internal;

MtxQueryResult::MtxQueryResult() = default;

MtxQueryResult::~MtxQueryResult() = default;

const char *MtxQueryResult::getTypeName() const
{
    return "Orb.MtxQueryResult";
}

const char *MtxQueryResult::getElementName() const
{
    return "MtxQueryResult";
}

// A query result only travels from the server to the client.
int MtxQueryResult::toXML(std::string &, const char *, int, int) const
{
    return 1;
}

bool MtxQueryResult::fromXML(const pugi::xml_node &node)
{
    if (!isElement(node))
        return true;
    NestingGuard guard;
    if (!guard.allowed())
        return false;
    m_items.clear();
    m_count = 0;
    m_cursor = 0;
    forEachChildElement(node, [this](const pugi::xml_node &child) {
        std::unique_ptr<MtxObj> item = createItem(getFactory(), child.attribute("xsi-type").value());
        item->fromXML(child);
        m_items.push_back(std::move(item));
        ++m_count;
    });
    return true;
}

std::unique_ptr<MtxObj> MtxQueryResult::newInstance() const
{
    return std::make_unique<MtxQueryResult>();
}
