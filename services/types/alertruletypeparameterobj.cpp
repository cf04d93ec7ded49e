#include "services/types/alertruletypeparameterobj.h"

AlertRuleTypeParameterObj::~AlertRuleTypeParameterObj() = default;

const RecordLayout &AlertRuleTypeParameterObj::recordLayout()
{
    static const RecordLayout typeLayout{"Orb.AlertRuleTypeParameterObj",
                                         "AlertRuleTypeParameterObj",
                                         Internal::alertTypeParameterFields()};
    return typeLayout;
}
