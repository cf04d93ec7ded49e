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
    m_cursor = 0;
    const bool read = readItems(node, getFactory(), m_items);
    m_count = static_cast<std::int32_t>(m_items.size());
    return read;
}

std::unique_ptr<MtxObj> MtxQueryResult::newInstance() const
{
    return std::make_unique<MtxQueryResult>();
}
