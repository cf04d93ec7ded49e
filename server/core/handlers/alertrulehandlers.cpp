#include "server/core/call.h"
#include "server/core/handlers/records.h"
#include "server/core/handlertable.h"
#include "server/core/schema.h"
#include "services/types/alertmonitorobj.h"
#include "services/types/alertruleobj.h"
#include "services/types/alertruleparameterobj.h"
#include "services/types/alertruletypeparameterobj.h"
#include "services/types/alertsendtypeparameterobj.h"
#include "services/types/elementobj.h"

// "AlertService": alert rules and the records that hang on a rule (its
// parameter, send type, rule-type parameters and watched monitors).
namespace {

constexpr const char *Service = "AlertService";

std::unique_ptr<AlertRuleObj> requireRule(Call &call, const std::string &ruleId)
{
    return records::require<AlertRuleObj>(call.storage(), schema::alertRules, AlertRuleObj::RuleID, ruleId,
                                          "报警规则不存在，请刷新后重试");
}

std::unique_ptr<MtxObj> findAlertRuleArray(Call &call)
{
    return records::array(call.storage().select(schema::alertRules, Filter::all(), RowOrder::TimeAscending));
}

// The rules whose parameter names this alert type ("0" mail ... "3" short message).
std::unique_ptr<MtxObj> refreshAlertRuleArray(Call &call)
{
    const std::string type = call.text(0);
    std::vector<std::string> ruleIds;
    for (auto &parameter : call.storage().select(schema::alertRuleParameters,
                                                 Filter::where(AlertRuleParameterObj::RuleType, type)))
        ruleIds.push_back(parameter->get(AlertRuleParameterObj::RuleID));
    return records::array(call.storage().select(schema::alertRules,
                                                Filter().oneOf(AlertRuleObj::RuleID, std::move(ruleIds)),
                                                RowOrder::TimeAscending));
}

std::unique_ptr<MtxObj> selectAlertRuleObj(Call &call)
{
    return requireRule(call, call.text(0));
}

std::unique_ptr<MtxObj> addAlertRule(Call &call)
{
    AlertRuleObj rule = call.record<AlertRuleObj>(0);
    const std::string id = rule.get(AlertRuleObj::RuleID);
    records::requireText(id, "报警规则ID不能为空");
    records::requireText(rule.get(AlertRuleObj::RuleName), "报警规则名称不能为空");
    records::requireNew(call.storage(), schema::alertRules, AlertRuleObj::RuleID, id, "报警规则ID已存在");
    if (rule.get(AlertRuleObj::AddDateTime).empty())
        rule.set(AlertRuleObj::AddDateTime, call.time());
    call.storage().insert(schema::alertRules, rule);
    call.setLogDetail(rule.get(AlertRuleObj::RuleName));
    return nullptr;
}

// Removes the rule and what hangs on it; its alert log stays.
std::unique_ptr<MtxObj> deleteAlertRuleObj(Call &call)
{
    const std::string id = call.text(0);
    auto rule = requireRule(call, id);
    Storage &storage = call.storage();
    storage.remove(schema::alertRules, Filter::where(AlertRuleObj::RuleID, id));
    storage.remove(schema::alertRuleParameters, Filter::where(AlertRuleParameterObj::RuleID, id));
    storage.remove(schema::alertSendTypeParameters, Filter::where(AlertSendTypeParameterObj::RuleID, id));
    storage.remove(schema::alertRuleTypeParameters, Filter::where(AlertRuleTypeParameterObj::RuleID, id));
    storage.remove(schema::alertMonitors, Filter::where(AlertMonitorObj::AlertRuleID, id));
    call.setLogDetail(rule->get(AlertRuleObj::RuleName));
    return records::text("SUCCEED");
}

// The records kept per rule, all handled the same way: T's rows in Table,
// tied to the rule by RuleField. A rule has one row (SecondField < 0) or one
// row per value of SecondField.
template <class T, const TableDefinition &Table, int RuleField, int SecondField = -1>
struct PerRule
{
    static std::unique_ptr<MtxObj> selectOne(Call &call)
    {
        return records::require<T>(call.storage(), Table, RuleField, call.text(0), "报警规则的参数不存在");
    }

    static std::unique_ptr<MtxObj> findAll(Call &call)
    {
        return records::array(call.storage().select(Table, Filter::where(RuleField, call.text(0))));
    }

    static std::unique_ptr<MtxObj> removeAll(Call &call)
    {
        const std::string ruleId = call.text(0);
        int removed = call.storage().remove(Table, Filter::where(RuleField, ruleId));
        call.setLogDetail(ruleId + " (" + std::to_string(removed) + ")");
        return nullptr;
    }

    // Stores the record, replacing the one it takes the place of.
    static std::unique_ptr<MtxObj> put(Call &call)
    {
        const T &record = call.record<T>(0);
        const std::string ruleId = record.get(RuleField);
        auto rule = requireRule(call, ruleId);
        Filter same = Filter::where(RuleField, ruleId);
        if constexpr (SecondField >= 0)
            same.equal(SecondField, record.get(SecondField));
        call.storage().remove(Table, same);
        call.storage().insert(Table, record);
        call.setLogDetail(rule->get(AlertRuleObj::RuleName));
        return nullptr;
    }
};

using RuleParameter = PerRule<AlertRuleParameterObj, schema::alertRuleParameters, AlertRuleParameterObj::RuleID>;
using SendTypeParameter =
    PerRule<AlertSendTypeParameterObj, schema::alertSendTypeParameters, AlertSendTypeParameterObj::RuleID>;
using RuleTypeParameter = PerRule<AlertRuleTypeParameterObj, schema::alertRuleTypeParameters,
                                  AlertRuleTypeParameterObj::RuleID, AlertRuleTypeParameterObj::ParaName>;
using WatchedMonitor =
    PerRule<AlertMonitorObj, schema::alertMonitors, AlertMonitorObj::AlertRuleID, AlertMonitorObj::MonitorId>;

// A rule watches elements of the inventory (normally monitors).
std::unique_ptr<MtxObj> addAlertMonitorObj(Call &call)
{
    const auto &link = call.record<AlertMonitorObj>(0);
    if (!records::exists(call.storage(), schema::elements, ElementObj::ID, link.get(AlertMonitorObj::MonitorId)))
        throw Refusal(refusal::NotFound, "所选检测不存在，请刷新后重试");
    return WatchedMonitor::put(call);
}

constexpr HandlerEntry table[] = {
    {Service, "findAlertRuleArray", &findAlertRuleArray, Access::Read},
    {Service, "refreshAlertRuleArray", &refreshAlertRuleArray, Access::Read},
    {Service, "selectAlertRuleObj", &selectAlertRuleObj, Access::Read},
    {Service, "addAlertRule", &addAlertRule, Access::Write, "添加报警规则"},
    {Service, "deleteAlertRuleObj", &deleteAlertRuleObj, Access::Write, "删除报警规则"},
    {Service, "addAlertMonitorObj", &addAlertMonitorObj, Access::Write, "添加报警检测"},
    {Service, "findAlertMonitorArray", &WatchedMonitor::findAll, Access::Read},
    {Service, "deleteAlertMonitorObj", &WatchedMonitor::removeAll, Access::Write, "删除报警检测"},
    {Service, "addAlertRuleParameter", &RuleParameter::put, Access::Write, "设置报警参数"},
    {Service, "selectAlertRuleParameterObj", &RuleParameter::selectOne, Access::Read},
    {Service, "deleteAlertRuleParameterObj", &RuleParameter::removeAll, Access::Write, "删除报警参数"},
    {Service, "addAlertSendTypeParameter", &SendTypeParameter::put, Access::Write, "设置发送规则"},
    {Service, "selectAlertSendTypeParameterObj", &SendTypeParameter::selectOne, Access::Read},
    {Service, "deleteAlertSendTypeParameterObj", &SendTypeParameter::removeAll, Access::Write, "删除发送规则"},
    {Service, "addRuleTypeParameter", &RuleTypeParameter::put, Access::Write, "设置报警方式参数"},
    {Service, "findAlertRuleTypeParameterArray", &RuleTypeParameter::findAll, Access::Read},
    {Service, "deleteAlertRuleTypeParameterArray", &RuleTypeParameter::removeAll, Access::Write, "删除报警方式参数"},
};

} // namespace

std::span<const HandlerEntry> alertRuleHandlers()
{
    return table;
}
