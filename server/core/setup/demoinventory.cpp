#include <ctime>
#include <map>

#include "orb/wire/codepage.h"
#include "server/core/handlers/inventory.h"
#include "services/types/passwordscrambler.h"
#include "server/core/schema.h"
#include "server/core/serverstate.h"
#include "server/core/setup/bootstrap.h"
#include "server/core/timetext.h"
#include "server/storage/storage.h"
#include "services/types/alertlogobj.h"
#include "services/types/alertmonitorobj.h"
#include "services/types/alertruleobj.h"
#include "services/types/alertruleparameterobj.h"
#include "services/types/alertruletypeparameterobj.h"
#include "services/types/alertsendtypeparameterobj.h"
#include "services/types/departmentobj.h"
#include "services/types/elementobj.h"
#include "services/types/expressionparamitemobj.h"
#include "services/types/monitorobj.h"
#include "services/types/paramobj.h"
#include "services/types/roleobj.h"
#include "services/types/syslogobj.h"
#include "services/types/tpinfoobj.h"
#include "services/types/userobj.h"

// The demo data, described as tables; server/demo-catalogue.md lists the
// device type codes and monitor kinds for the client's sample configuration.
namespace setup {

namespace {

struct DemoElement
{
    const char *key;    // for references within this file
    const char *parent; // key of the parent; null for the inventory root
    const char *type;
    const char *name;
    const char *address;
};

// Every device is this machine under a loopback address, so the engine's
// checks of the demo stay on it.
constexpr DemoElement elements[] = {
    {"bj", nullptr, "1", "北京数据中心", ""},
    {"sh", nullptr, "1", "上海分部", ""},
    {"bj-core", "bj", "1", "核心网络", ""},
    {"router", "bj-core", "2", "核心路由器(127.0.0.2)", "127.0.0.2"},
    {"switch", "bj-core", "2", "核心交换机(127.0.0.3)", "127.0.0.3"},
    {"web", "bj", "3", "Web服务器(127.0.0.1)", "127.0.0.1"},
    {"db", "bj", "4", "数据库服务器(127.0.0.4)", "127.0.0.4"},
    {"mail", "sh", "3", "邮件服务器(127.0.0.5)", "127.0.0.5"},
    {"app", "sh", "4", "应用服务器(127.0.0.6)", "127.0.0.6"},
};

struct Clause
{
    const char *name;
    const char *op;
    const char *value;
};

// One monitor kind of the sample monitor library: its parameters (names and
// defaults, "$address" standing for the device address) and conditions.
struct MonitorKind
{
    const char *id;
    const char *label;
    std::initializer_list<std::pair<const char *, const char *>> params;
    Clause error, warning, normal;
};

const MonitorKind kinds[] = {
    {"1", "Ping", {{"HostName", "$address"}, {"PacketCount", "4"}, {"Timeout", "2000"}},
     {"PacketLoss", ">=", "100"}, {"PacketLoss", ">", "20"}, {"PacketLoss", "<=", "20"}},
    {"2", "CPU使用率", {{"HostName", "$address"}}, {"CpuUsage", ">", "90"}, {"CpuUsage", ">", "75"}, {"CpuUsage", "<=", "75"}},
    {"3", "内存使用率", {{"HostName", "$address"}}, {"MemoryUsage", ">", "95"}, {"MemoryUsage", ">", "85"}, {"MemoryUsage", "<=", "85"}},
    {"4", "磁盘空间", {{"HostName", "$address"}, {"Drive", "/"}}, {"FreePercent", "<", "5"}, {"FreePercent", "<", "15"}, {"FreePercent", ">=", "15"}},
    {"5", "端口检测", {{"HostName", "$address"}, {"Port", "80"}}, {"Status", "!=", "open"}, {"ResponseTime", ">", "1000"}, {"Status", "==", "open"}},
    {"6", "进程检测", {{"HostName", "$address"}, {"ProcessName", "mysqld"}}, {"ProcessCount", "==", "0"}, {"ProcessCount", ">", "50"}, {"ProcessCount", ">", "0"}},
    {"7", "网络流量", {{"HostName", "$address"}, {"Interface", "lo"}}, {"InOctets", ">", "900000000000"}, {"InOctets", ">", "600000000000"}, {"InOctets", "<=", "600000000000"}},
    {"8", "HTTP访问", {{"HostName", "$address"}, {"Port", "80"}, {"Path", "/"}}, {"StatusCode", ">=", "500"}, {"StatusCode", "!=", "200"}, {"StatusCode", "==", "200"}},
};

struct DemoMonitor
{
    const char *key;
    const char *device;
    const char *kind;
    // Parameters that differ from the kind's defaults ("$port" and
    // "$httpPort" stand for the server's own ports).
    std::initializer_list<std::pair<const char *, const char *>> params = {};
    const Clause *warning = nullptr; // a warning condition other than the kind's
};

// Holds for any machine, so that the demo shows a warning state.
constexpr Clause busyMemory{"MemoryUsage", ">", "1"};

// Normal, warning and error live on this machine: the server's own ports are
// open, port 1 is closed, the memory monitor warns at 1 %.
const DemoMonitor monitors[] = {
    {"router-ping", "router", "1"},
    {"router-traffic", "router", "7"},
    {"switch-ping", "switch", "1"},
    {"web-ping", "web", "1"},
    {"web-cpu", "web", "2"},
    {"web-port", "web", "5", {{"Port", "$port"}}},
    {"web-http", "web", "8", {{"Port", "$httpPort"}, {"Path", "/health"}}},
    {"db-cpu", "db", "2"},
    {"db-disk", "db", "4"},
    {"db-process", "db", "6", {{"ProcessName", "keelmon-server"}}},
    {"mail-port", "mail", "5", {{"Port", "1"}}},
    {"app-memory", "app", "3", {}, &busyMemory},
};

using Keys = std::map<std::string, std::string>;

const MonitorKind &kind(const char *id)
{
    for (const MonitorKind &candidate : kinds)
        if (std::string_view(candidate.id) == id)
            return candidate;
    return kinds[0];
}

void addClause(StateConditionObj &condition, StateConditionObj::Field field, const Clause &clause)
{
    auto item = std::make_unique<ExpressionParamItemObj>();
    item->set(ExpressionParamItemObj::itemId, "1");
    item->set(ExpressionParamItemObj::paraName, clause.name);
    item->set(ExpressionParamItemObj::Operator, clause.op);
    item->set(ExpressionParamItemObj::paraValue, clause.value);
    condition.items(field).append(std::move(item));
    condition.set(field, "1");
}

std::string ago(int hours)
{
    return timetext::format(std::time(nullptr) - std::time_t(hours) * 3600);
}

std::string paramValue(std::string_view value, const ElementObj &device, const DemoPorts &ports)
{
    if (value == "$address")
        return device.get(ElementObj::Entity_IpAddress);
    if (value == "$port")
        return std::to_string(ports.app);
    if (value == "$httpPort")
        return std::to_string(ports.http);
    return std::string(value);
}

void addInventory(Storage &storage, const ElementObj &root, Keys &ids, const DemoPorts &ports)
{
    std::map<std::string, const ElementObj *> devices;
    std::vector<ElementObj> stored;
    stored.reserve(std::size(elements));
    for (const DemoElement &demo : elements) {
        ElementObj &element = stored.emplace_back();
        ids[demo.key] = ServerState::newId();
        element.set(ElementObj::SEID, root.get(ElementObj::ID));
        element.set(ElementObj::ID, ids[demo.key]);
        element.set(ElementObj::PID, demo.parent ? ids[demo.parent] : root.get(ElementObj::ID));
        element.setTruncated(ElementObj::Text, orb::fromUtf8(demo.name));
        element.set(ElementObj::Type, demo.type);
        element.set(ElementObj::LastState, "0");
        element.set(ElementObj::Entity_IpAddress, demo.address);
        element.set(ElementObj::MStatus, "0");
        element.set(ElementObj::AStatus, "0");
        if (*demo.address) {
            auto param = std::make_unique<ParamObj>();
            param->set(ParamObj::ParamName, "Community");
            param->set(ParamObj::ParamValue, "public");
            element.params().append(std::move(param));
        }
        storage.insert(schema::elements, element);
        devices[demo.key] = &element;
    }
    for (const DemoMonitor &demo : monitors) {
        const MonitorKind &monitorKind = kind(demo.kind);
        const ElementObj &device = *devices.at(demo.device);
        MonitorObj monitor;
        ids[demo.key] = ServerState::newId();
        monitor.set(MonitorObj::Id, ids[demo.key]);
        monitor.set(MonitorObj::seid, root.get(ElementObj::ID));
        monitor.set(MonitorObj::ParentId, device.get(ElementObj::ID));
        monitor.set(MonitorObj::MonitorType, monitorKind.id);
        monitor.setTruncated(MonitorObj::Text, orb::fromUtf8(monitorKind.label));
        monitor.set(MonitorObj::MStatus, "0");
        monitor.set(MonitorObj::AStatus, "0");
        for (auto [name, value] : monitorKind.params) {
            for (auto [otherName, otherValue] : demo.params)
                if (std::string_view(otherName) == name)
                    value = otherValue;
            auto param = std::make_unique<ParamObj>();
            param->set(ParamObj::ParamName, name);
            param->set(ParamObj::ParamValue, paramValue(value, device, ports));
            monitor.params().append(std::move(param));
        }
        addClause(monitor.condition(), StateConditionObj::Error, monitorKind.error);
        addClause(monitor.condition(), StateConditionObj::Warning, demo.warning ? *demo.warning : monitorKind.warning);
        addClause(monitor.condition(), StateConditionObj::Normal, monitorKind.normal);
        storage.insert(schema::monitors, monitor);

        // The engine fills in the results within seconds of the start.
        storage.insert(schema::elements, inventory::mirrorOf(monitor, device, nullptr));
    }
}

struct DemoRule
{
    const char *key;
    const char *name;
    const char *ruleType; // 0 mail, 1 sound, 2 script, 3 short message
    const char *sendType;
    const char *sendValue;
    const char *level;
    std::initializer_list<std::pair<const char *, const char *>> typeParams;
    std::initializer_list<const char *> watched;
};

const DemoRule rules[] = {
    {"cpu-mail", "CPU过高邮件报警", "0", "0", "1", "0",
     {{"MailAddress", "ops@localhost"}, {"MailSubject", "CPU使用率过高"}}, {"web-cpu", "db-cpu"}},
    {"link-sms", "线路中断短信报警", "3", "2", "3|5", "1", {{"MobileNumber", "13800000000"}},
     {"router-ping", "mail-port"}},
    {"memory-sound", "内存使用声音报警", "1", "1", "2", "0", {{"SoundFile", "alarm.wav"}}, {"app-memory"}},
};

void addAlerting(Storage &storage, Keys &ids)
{
    int hour = 30;
    for (const DemoRule &demo : rules) {
        ids[demo.key] = ServerState::newId();
        const std::string &ruleId = ids[demo.key];
        AlertRuleObj rule;
        rule.set(AlertRuleObj::RuleID, ruleId);
        rule.setTruncated(AlertRuleObj::RuleName, orb::fromUtf8(demo.name));
        rule.set(AlertRuleObj::AddDateTime, ago(72));
        storage.insert(schema::alertRules, rule);

        AlertRuleParameterObj parameter;
        parameter.set(AlertRuleParameterObj::RuleID, ruleId);
        parameter.set(AlertRuleParameterObj::RuleType, demo.ruleType);
        parameter.set(AlertRuleParameterObj::SendType, demo.sendType);
        parameter.set(AlertRuleParameterObj::AlertLevel, demo.level);
        parameter.set(AlertRuleParameterObj::Enabled, "1");
        storage.insert(schema::alertRuleParameters, parameter);

        AlertSendTypeParameterObj send;
        send.set(AlertSendTypeParameterObj::RuleID, ruleId);
        send.set(AlertSendTypeParameterObj::ParaName, demo.sendType);
        send.set(AlertSendTypeParameterObj::ParaValue, demo.sendValue);
        storage.insert(schema::alertSendTypeParameters, send);

        for (auto [name, value] : demo.typeParams) {
            AlertRuleTypeParameterObj typeParameter;
            typeParameter.set(AlertRuleTypeParameterObj::RuleID, ruleId);
            typeParameter.set(AlertRuleTypeParameterObj::ParaName, name);
            typeParameter.setTruncated(AlertRuleTypeParameterObj::ParaValue, orb::fromUtf8(value));
            storage.insert(schema::alertRuleTypeParameters, typeParameter);
        }
        for (const char *watched : demo.watched) {
            AlertMonitorObj link;
            link.set(AlertMonitorObj::AlertRuleID, ruleId);
            link.set(AlertMonitorObj::MonitorId, ids.at(watched));
            storage.insert(schema::alertMonitors, link);

            AlertLogObj entry;
            entry.set(AlertLogObj::AlertLogID, ServerState::newId());
            entry.set(AlertLogObj::AlertRuleID, ruleId);
            entry.set(AlertLogObj::ManagerName, setup::AdminName);
            entry.set(AlertLogObj::AlertDateTime, ago(hour -= 4));
            entry.setTruncated(AlertLogObj::IfSended, orb::fromUtf8("是"));
            entry.setTruncated(AlertLogObj::RuleName, orb::fromUtf8(demo.name));
            entry.set(AlertLogObj::Objective, watched);
            entry.set(AlertLogObj::RuleType, demo.ruleType);
            entry.setTruncated(AlertLogObj::IfSucceed, orb::fromUtf8("成功"));
            entry.set(AlertLogObj::MonitorId, ids.at(watched));
            entry.setTruncated(AlertLogObj::Content, orb::fromUtf8(std::string("检测超出阈值: ") + watched));
            storage.insert(schema::alertLogs, entry);
        }
    }
}

struct DemoCell
{
    const char *picture; // key of the cell whose sub-picture holds this one; null for the top picture
    const char *key;
    const char *element;
    const char *image; // background of the cell's own sub-picture
    const char *x, *y;
    const char *type;  // "0" status cell, "1" control cell
};

constexpr DemoCell cells[] = {
    {nullptr, "cell-bj", "bj", "北京机房.jpg", "120.000000", "160.000000", "0"},
    {nullptr, "cell-sh", "sh", "上海机房.jpg", "420.000000", "240.000000", "0"},
    {"cell-bj", "cell-router", "router", "", "80.000000", "60.000000", "0"},
    {"cell-bj", "cell-web", "web", "", "240.000000", "140.000000", "0"},
    {"cell-bj", "cell-db", "db", "", "240.000000", "240.000000", "0"},
    {"cell-sh", "cell-mail", "mail", "", "100.000000", "100.000000", "0"},
    {"cell-sh", "cell-app", "app", "", "260.000000", "100.000000", "1"},
};

void addTopology(Storage &storage, Keys &ids)
{
    for (const DemoCell &demo : cells) {
        ids[demo.key] = ServerState::newId();
        TPInfoObj cell;
        cell.set(TPInfoObj::ID, ids[demo.key]);
        cell.set(TPInfoObj::PID, demo.picture ? ids.at(demo.picture) : std::string("1"));
        cell.set(TPInfoObj::MID, ids.at(demo.element));
        cell.setTruncated(TPInfoObj::Image, orb::fromUtf8(demo.image));
        cell.set(TPInfoObj::X, demo.x);
        cell.set(TPInfoObj::Y, demo.y);
        cell.set(TPInfoObj::W, "48.000000");
        cell.set(TPInfoObj::H, "48.000000");
        cell.set(TPInfoObj::Type, demo.type);
        storage.insert(schema::topologyCells, cell);
    }
}

// A second department, an operator with view rights, and some history.
void addPeople(Storage &storage)
{
    std::string top = storage.select(schema::departments, Filter::all()).front()->get(DepartmentObj::ID);
    DepartmentObj operations;
    operations.set(DepartmentObj::ID, ServerState::newId());
    operations.setTruncated(DepartmentObj::AllName, orb::fromUtf8("运维部"));
    operations.set(DepartmentObj::ParentID, top);
    operations.setTruncated(DepartmentObj::Description, orb::fromUtf8("网络与系统运维"));
    storage.insert(schema::departments, operations);

    for (const char *code : {"1000", "1002", "1003"}) {
        RoleObj role;
        role.set(RoleObj::Code, code);
        role.setTruncated(RoleObj::RoleName, orb::fromUtf8("值班员"));
        storage.insert(schema::roles, role);
    }
    std::string key, scrambled;
    passwordscrambler::scramble("operator", key, scrambled);
    UserObj user;
    user.set(UserObj::LoginName, "operator");
    user.setTruncated(UserObj::AllName, orb::fromUtf8("值班员张工"));
    user.set(UserObj::Password, scrambled);
    user.set(UserObj::EncryptCode, key);
    user.setTruncated(UserObj::RoleName, orb::fromUtf8("值班员"));
    user.set(UserObj::DepartmentID, operations.get(DepartmentObj::ID));
    storage.insert(schema::users, user);

    const std::pair<const char *, const char *> history[] = {
        {"登录", "登录成功"}, {"添加元素", "Web服务器(127.0.0.1)"}, {"添加检测", "CPU使用率"}, {"添加报警规则", "CPU过高邮件报警"}};
    int hour = 50;
    for (auto [title, description] : history) {
        SysLogObj record;
        record.set(SysLogObj::ID, ServerState::newId());
        record.setTruncated(SysLogObj::Type, orb::fromUtf8(std::string_view(title) == "登录" ? "登录" : "操作"));
        record.set(SysLogObj::Date, ago(hour -= 10));
        record.set(SysLogObj::User, setup::AdminName);
        record.setTruncated(SysLogObj::Title, orb::fromUtf8(title));
        record.setTruncated(SysLogObj::Description, orb::fromUtf8(description));
        storage.insert(schema::sysLogs, record);
    }
}

} // namespace

bool addDemoData(Storage &storage, const DemoPorts &ports)
{
    auto transaction = storage.begin(true);
    auto root = inventory::root(storage);
    if (!root || storage.count(schema::elements, Filter::all()) > 1)
        return false;
    Keys ids;
    addInventory(storage, *root, ids, ports);
    addAlerting(storage, ids);
    addTopology(storage, ids);
    addPeople(storage);
    transaction->commit();
    return true;
}

} // namespace setup
