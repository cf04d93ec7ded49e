#include "services/types/monitorparamitemobj.h"

namespace {

constexpr RecordField fieldTable[] = {KEEL_MONITORPARAMITEMOBJ_FIELDS(KEEL_RECORD_FIELD)};
constexpr RecordLayout typeLayout{"Orb.MonitorParamItemObj", "MonitorParamItemObj", fieldTable};

} // namespace

MonitorParamItemObj::~MonitorParamItemObj() = default;

const RecordLayout &MonitorParamItemObj::recordLayout()
{
    return typeLayout;
}
