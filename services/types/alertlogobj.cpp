#include "services/types/alertlogobj.h"

namespace {

constexpr RecordField fieldTable[] = {KEEL_ALERTLOGOBJ_FIELDS(KEEL_RECORD_FIELD)};
constexpr RecordLayout typeLayout{"Orb.AlertLogObj", "AlertLogObj", fieldTable};

} // namespace

AlertLogObj::~AlertLogObj() = default;

const RecordLayout &AlertLogObj::recordLayout()
{
    return typeLayout;
}
