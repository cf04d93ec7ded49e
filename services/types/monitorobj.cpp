#include "services/types/monitorobj.h"

namespace {

constexpr RecordField fieldTable[] = {KEEL_MONITOROBJ_FIELDS(KEEL_RECORD_FIELD)};
constexpr RecordEmbedded embeddedTable[] = {{&makeWireObject<MtxArray>},
                                            {&makeWireObject<StateConditionObj>}};
constexpr RecordLayout typeLayout{"Orb.MonitorObj", "MonitorObj", fieldTable, embeddedTable};

} // namespace

MonitorObj::~MonitorObj() = default;

const RecordLayout &MonitorObj::recordLayout()
{
    return typeLayout;
}

MtxArray &MonitorObj::params()
{
    return static_cast<MtxArray &>(embedded(0));
}

const MtxArray &MonitorObj::params() const
{
    return static_cast<const MtxArray &>(embedded(0));
}

StateConditionObj &MonitorObj::condition()
{
    return static_cast<StateConditionObj &>(embedded(1));
}

const StateConditionObj &MonitorObj::condition() const
{
    return static_cast<const StateConditionObj &>(embedded(1));
}
