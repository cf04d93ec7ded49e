#include "modules/alarm/rulerecords.h"

void CRuleRecords::SetRuleId(const std::string &id)
{
    rule.set(AlertRuleObj::RuleID, id);
    parameter.set(AlertRuleParameterObj::RuleID, id);
    send.set(AlertSendTypeParameterObj::RuleID, id);
    for (auto &typeParameter : typeParameters)
        typeParameter.set(AlertRuleTypeParameterObj::RuleID, id);
    for (auto &monitor : monitors)
        monitor.set(AlertMonitorObj::AlertRuleID, id);
}
