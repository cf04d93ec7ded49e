#pragma once

#include <vector>

#include "services/types/alertmonitorobj.h"
#include "services/types/alertruleobj.h"
#include "services/types/alertruleparameterobj.h"
#include "services/types/alertruletypeparameterobj.h"
#include "services/types/alertsendtypeparameterobj.h"

// The five record kinds that make one alert rule on the server: the rule, its
// parameter, its send-type parameter, its alert-type parameters and the
// monitors it watches.
struct CRuleRecords
{
    AlertRuleObj rule;
    AlertRuleParameterObj parameter;
    AlertSendTypeParameterObj send;
    std::vector<AlertRuleTypeParameterObj> typeParameters;
    std::vector<AlertMonitorObj> monitors;

    const std::string &RuleId() const { return rule.get(AlertRuleObj::RuleID); }
    // Puts id into every record's rule field.
    void SetRuleId(const std::string &id);
};
