#include "services/types/alertmonitorobj.h"

namespace {

constexpr RecordField fieldTable[] = {KEEL_ALERTMONITOROBJ_FIELDS(KEEL_RECORD_FIELD)};
constexpr RecordLayout typeLayout{"Orb.AlertMonitorObj", "AlertMonitorObj", fieldTable};

} // namespace

AlertMonitorObj::~AlertMonitorObj() = default;

const RecordLayout &AlertMonitorObj::recordLayout()
{
    return typeLayout;
}
