#include "server/tests/engine/testinventory.h"

#include <tuple>

#include "server/core/handlers/inventory.h"
#include "server/core/schema.h"
#include "server/storage/storage.h"
#include "services/types/alertmonitorobj.h"
#include "services/types/alertruleobj.h"
#include "services/types/alertruleparameterobj.h"
#include "services/types/alertruletypeparameterobj.h"
#include "services/types/alertsendtypeparameterobj.h"
#include "services/types/elementobj.h"
#include "services/types/expressionparamitemobj.h"
#include "services/types/paramobj.h"

MonitorObj portMonitor(const std::string &id, const std::string &device, int port)
{
    MonitorObj monitor;
    monitor.set(MonitorObj::Id, id);
    monitor.set(MonitorObj::ParentId, device);
    monitor.set(MonitorObj::MonitorType, "5");
    monitor.set(MonitorObj::Text, "port " + std::to_string(port));
    for (auto [name, value] : {std::pair{"HostName", std::string("127.0.0.1")}, {"Port", std::to_string(port)}}) {
        auto param = std::make_unique<ParamObj>();
        param->set(ParamObj::ParamName, name);
        param->set(ParamObj::ParamValue, value);
        monitor.params().append(std::move(param));
    }
    for (auto [field, name, op, value] : {std::tuple{StateConditionObj::Error, "Status", "!=", "open"},
                                          {StateConditionObj::Warning, "ResponseTime", ">", "1000"},
                                          {StateConditionObj::Normal, "Status", "==", "open"}}) {
        auto clause = std::make_unique<ExpressionParamItemObj>();
        clause->set(ExpressionParamItemObj::itemId, "1");
        clause->set(ExpressionParamItemObj::paraName, name);
        clause->set(ExpressionParamItemObj::Operator, op);
        clause->set(ExpressionParamItemObj::paraValue, value);
        monitor.condition().items(field).append(std::move(clause));
        monitor.condition().set(field, "1");
    }
    return monitor;
}

void fillPortMonitors(Storage &storage, int monitors, const std::vector<int> &open, const std::vector<int> &closed)
{
    auto transaction = storage.begin(true);
    const std::string root = inventory::root(storage)->get(ElementObj::ID);
    auto element = [&](const std::string &id, const std::string &parent, const char *type) {
        ElementObj record;
        record.set(ElementObj::ID, id);
        record.set(ElementObj::PID, parent);
        record.set(ElementObj::Type, type);
        record.set(ElementObj::Text, id);
        record.set(ElementObj::LastState, "0");
        record.set(ElementObj::Entity_IpAddress, "127.0.0.1");
        storage.insert(schema::elements, record);
        return record;
    };
    ElementObj device;
    for (int i = 0; i < monitors; ++i) {
        if (i % 1000 == 0)
            element("g" + std::to_string(i / 1000), root, "1");
        if (i % 100 == 0)
            device = element("d" + std::to_string(i / 100), "g" + std::to_string(i / 1000), "4");
        int port = i % 2 == 0 ? open[std::size_t(i / 2) % open.size()] : closed[std::size_t(i / 2) % closed.size()];
        MonitorObj monitor = portMonitor("m" + std::to_string(i), device.get(ElementObj::ID), port);
        storage.insert(schema::monitors, monitor);
        storage.insert(schema::elements, inventory::mirrorOf(monitor, device, nullptr));
    }
    transaction->commit();
}


void addShortMessageRule(Storage &storage, const std::string &id, const std::string &element, const char *sendType,
                         const char *counts)
{
    auto transaction = storage.begin(true);
    AlertRuleObj rule;
    rule.set(AlertRuleObj::RuleID, id);
    rule.set(AlertRuleObj::RuleName, id);
    storage.insert(schema::alertRules, rule);
    AlertRuleParameterObj parameter;
    parameter.set(AlertRuleParameterObj::RuleID, id);
    parameter.set(AlertRuleParameterObj::RuleType, "3");
    parameter.set(AlertRuleParameterObj::SendType, sendType);
    parameter.set(AlertRuleParameterObj::AlertLevel, "1");
    parameter.set(AlertRuleParameterObj::Enabled, "1");
    storage.insert(schema::alertRuleParameters, parameter);
    AlertSendTypeParameterObj send;
    send.set(AlertSendTypeParameterObj::RuleID, id);
    send.set(AlertSendTypeParameterObj::ParaName, sendType);
    send.set(AlertSendTypeParameterObj::ParaValue, counts);
    storage.insert(schema::alertSendTypeParameters, send);
    AlertRuleTypeParameterObj number;
    number.set(AlertRuleTypeParameterObj::RuleID, id);
    number.set(AlertRuleTypeParameterObj::ParaName, "MobileNumber");
    number.set(AlertRuleTypeParameterObj::ParaValue, "13800000000");
    storage.insert(schema::alertRuleTypeParameters, number);
    AlertMonitorObj watch;
    watch.set(AlertMonitorObj::AlertRuleID, id);
    watch.set(AlertMonitorObj::MonitorId, element);
    storage.insert(schema::alertMonitors, watch);
    transaction->commit();
}
