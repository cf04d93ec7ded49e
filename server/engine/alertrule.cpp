#include "server/engine/alertrule.h"

#include <cstdlib>

#include "server/core/handlers/inventory.h"
#include "server/core/schema.h"
#include "server/storage/storage.h"
#include "services/types/alertmonitorobj.h"
#include "services/types/alertruleobj.h"
#include "services/types/alertruleparameterobj.h"
#include "services/types/alertruletypeparameterobj.h"
#include "services/types/alertsendtypeparameterobj.h"

namespace {

long positiveCount(const std::string &text)
{
    char *end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    return end != text.c_str() && value > 0 ? value : 1;
}

} // namespace

bool AlertRule::matches(int state) const
{
    return level == 1 ? state == inventory::Error : state >= inventory::Warning;
}

bool AlertRule::sendsAt(long count) const
{
    switch (sendType) {
    case 1:
        return count == first;
    case 2:
        return count == first || (count > first && (count - first) % every == 0);
    default:
        return count >= first;
    }
}

void AlertRule::setSendRule(const std::string &type, const std::string &counts)
{
    sendType = type == "1" ? 1 : (type == "2" ? 2 : 0);
    std::size_t bar = counts.find('|');
    first = positiveCount(counts.substr(0, bar));
    every = bar == std::string::npos ? 1 : positiveCount(counts.substr(bar + 1));
}

std::vector<std::shared_ptr<const AlertRule>> AlertRule::loadEnabled(Storage &storage)
{
    std::map<std::string, std::shared_ptr<AlertRule>> rules;
    for (auto &row : storage.select(schema::alertRuleParameters, Filter::where(AlertRuleParameterObj::Enabled, "1"))) {
        auto rule = std::make_shared<AlertRule>();
        rule->id = row->get(AlertRuleParameterObj::RuleID);
        rule->ruleType = row->get(AlertRuleParameterObj::RuleType);
        rule->level = row->get(AlertRuleParameterObj::AlertLevel) == "1" ? 1 : 0;
        rule->setSendRule(row->get(AlertRuleParameterObj::SendType), {});
        rules[rule->id] = rule;
    }
    for (auto &row : storage.select(schema::alertRules, Filter::all()))
        if (auto found = rules.find(row->get(AlertRuleObj::RuleID)); found != rules.end())
            found->second->name = row->get(AlertRuleObj::RuleName);
    for (auto &row : storage.select(schema::alertSendTypeParameters, Filter::all()))
        if (auto found = rules.find(row->get(AlertSendTypeParameterObj::RuleID)); found != rules.end())
            found->second->setSendRule(std::to_string(found->second->sendType),
                                       row->get(AlertSendTypeParameterObj::ParaValue));
    for (auto &row : storage.select(schema::alertRuleTypeParameters, Filter::all()))
        if (auto found = rules.find(row->get(AlertRuleTypeParameterObj::RuleID)); found != rules.end())
            found->second->params[row->get(AlertRuleTypeParameterObj::ParaName)] =
                row->get(AlertRuleTypeParameterObj::ParaValue);
    for (auto &row : storage.select(schema::alertMonitors, Filter::all()))
        if (auto found = rules.find(row->get(AlertMonitorObj::AlertRuleID)); found != rules.end())
            found->second->watched.insert(row->get(AlertMonitorObj::MonitorId));
    std::vector<std::shared_ptr<const AlertRule>> enabled;
    for (auto &[id, rule] : rules)
        enabled.push_back(rule);
    return enabled;
}
