#include "services/types/stateconditionobj.h"

namespace {

constexpr RecordField fieldTable[] = {KEEL_STATECONDITIONOBJ_FIELDS(KEEL_RECORD_FIELD)};
constexpr RecordEmbedded embeddedTable[] = {
    {&makeWireObject<MtxArray>}, {&makeWireObject<MtxArray>}, {&makeWireObject<MtxArray>}};
static_assert(std::size(embeddedTable) == StateConditionObj::ArrayCount);
constexpr RecordLayout typeLayout{"Orb.StateConditionObj", "StateConditionObj", fieldTable,
                                  embeddedTable};

} // namespace

StateConditionObj::~StateConditionObj() = default;

const RecordLayout &StateConditionObj::recordLayout()
{
    return typeLayout;
}

MtxArray &StateConditionObj::array(std::size_t index)
{
    return static_cast<MtxArray &>(embedded(index));
}

const MtxArray &StateConditionObj::array(std::size_t index) const
{
    return static_cast<const MtxArray &>(embedded(index));
}
