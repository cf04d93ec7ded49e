#include "services/types/alertruleobj.h"

namespace {

constexpr RecordField fieldTable[] = {KEEL_ALERTRULEOBJ_FIELDS(KEEL_RECORD_FIELD)};
constexpr RecordLayout typeLayout{"Orb.AlertRuleObj", "AlertRuleObj", fieldTable};

} // namespace

AlertRuleObj::~AlertRuleObj() = default;

const RecordLayout &AlertRuleObj::recordLayout()
{
    return typeLayout;
}
