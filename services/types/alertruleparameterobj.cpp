#include "services/types/alertruleparameterobj.h"

namespace {

constexpr RecordField fieldTable[] = {KEEL_ALERTRULEPARAMETEROBJ_FIELDS(KEEL_RECORD_FIELD)};
constexpr RecordLayout typeLayout{"Orb.AlertRuleParameterObj", "AlertRuleParameterObj", fieldTable};

} // namespace

AlertRuleParameterObj::~AlertRuleParameterObj() = default;

const RecordLayout &AlertRuleParameterObj::recordLayout()
{
    return typeLayout;
}
