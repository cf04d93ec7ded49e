#include "server/core/handlers/statusreport.h"

#include <map>
#include <vector>

#include <unistd.h>

#include <cstdio>

#include "orb/wire/codepage.h"
#include "orb/wire/mtxtree.h"
#include "server/core/handlers/inventory.h"
#include "server/core/schema.h"
#include "server/core/serverstate.h"
#include "server/core/timetext.h"
#include "server/pg/pgconnection.h"
#include "server/storage/storage.h"
#include "services/types/alertlogobj.h"
#include "services/types/alertruleparameterobj.h"
#include "services/types/elementobj.h"
#include "services/types/systypeobj.h"

namespace statusreport {

namespace {

using Lines = std::vector<std::string>;

std::string duration(std::chrono::seconds elapsed)
{
    long long s = elapsed.count();
    char text[64];
    std::snprintf(text, sizeof text, "%lld天 %lld小时 %lld分 %lld秒", s / 86400, s / 3600 % 24, s / 60 % 60, s % 60);
    return text;
}

std::string milliseconds(std::chrono::microseconds time)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f ms", double(time.count()) / 1000.0);
    return text;
}

void server(ServerState &state, bool administrator, Lines &out)
{
    const ServerInfo &info = state.info();
    auto uptime = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - state.startClock());
    out.push_back("服务程序: keelmon-server 2.0 (进程号 " + std::to_string(::getpid()) + ")");
    out.push_back("启动时间: " + timetext::format(state.startTime()));
    out.push_back("运行时间: " + duration(uptime));
    out.push_back("服务地址: " + info.listenAddress + ":" + std::to_string(info.port));
    if (!info.nodeName.empty())
        out.push_back("节点名称: " + info.nodeName);
    out.push_back("本节点检测数: " + std::to_string(state.monitorsHeld()));
    out.push_back("发现端口: " + std::to_string(info.discoveryPort) + " (UDP)");
    out.push_back("工作线程: " + std::to_string(info.workerThreads));
    out.push_back(std::string("编码: ") + orb::codePageName());
}

void requests(ServerState &state, bool administrator, Lines &out)
{
    RequestStats &requests = state.requests();
    ConnectionStats connections = state.connectionStats();
    std::uint64_t served = requests.served();
    out.push_back("已处理请求: " + std::to_string(served));
    out.push_back("失败请求: " + std::to_string(requests.failed()));
    out.push_back("平均处理时间: " + milliseconds(served ? requests.totalTime() / std::int64_t(served) : std::chrono::microseconds(0)));
    out.push_back("最长处理时间: " + milliseconds(requests.longest()));
    out.push_back("已接受连接: " + std::to_string(connections.accepted));
    out.push_back("当前连接: " + std::to_string(connections.open) + " (其中空闲 " + std::to_string(connections.waiting) + ")");
    out.push_back("服务器忙拒绝: " + std::to_string(connections.busyRefusals));
    out.push_back("请求超时: " + std::to_string(connections.timedOut));
    out.push_back("请求过大: " + std::to_string(connections.oversized));
    out.push_back("格式错误: " + std::to_string(connections.malformed));
    out.push_back("为新连接关闭的空闲连接: " + std::to_string(connections.evicted));
}

void sessions(ServerState &state, bool administrator, Lines &out)
{
    // One line per user: a session per address the user logged in from, and
    // how often each address logged in again.
    std::map<std::string, std::vector<SessionTable::Session>> byUser;
    for (auto &session : state.sessions().sessions())
        byUser[session.user].push_back(std::move(session));
    out.push_back("在线用户数: " + std::to_string(byUser.size()));
    for (const auto &[user, sessions] : byUser) {
        std::string line = "  " + orb::toUtf8(user) + " 登录于 " + sessions.front().since + " ("
                           + std::to_string(sessions.size()) + " 个会话)";
        for (const auto &session : sessions)
            line += " " + session.peer + " 登录" + std::to_string(session.logins) + "次";
        out.push_back(line);
    }
}

void database(ServerState &state, bool administrator, Lines &out)
{
    Storage &storage = state.storage();
    auto transaction = storage.begin(false);
    StorageInfo info = storage.info();
    // Where the server keeps its files is for administrators only.
    std::string location = info.location;
    if (!administrator) {
        if (isPostgresLocation(location))
            location = location.substr(0, location.find('?')); // the database's name, not its server
        location = location.substr(location.find_last_of('/') + 1);
    }
    out.push_back("数据库文件: " + location);
    out.push_back("数据库大小: " + std::to_string(info.sizeBytes / 1024) + " KB");
    out.push_back("结构版本: " + std::to_string(info.schemaVersion));
    for (const TableDefinition *table : schema::all())
        out.push_back(std::string("表 ") + table->name + ": " + std::to_string(storage.count(*table, Filter::all())) + " 行");
}

void monitoring(ServerState &state, bool administrator, Lines &out)
{
    static const char *const stateNames[] = {"正常", "危险", "错误"};
    Storage &storage = state.storage();
    auto transaction = storage.begin(false);
    std::int64_t groups = storage.count(schema::elements, Filter::where(ElementObj::Type, inventory::GroupType));
    std::int64_t monitors = storage.count(schema::elements, Filter::where(ElementObj::Type, inventory::MonitorType));
    std::int64_t all = storage.count(schema::elements, Filter::all());
    std::int64_t roots = storage.count(schema::elements, Filter::where(ElementObj::PID, inventory::RootParent));
    out.push_back("组: " + std::to_string(groups));
    out.push_back("设备: " + std::to_string(all - groups - monitors - roots));
    out.push_back("检测: " + std::to_string(monitors));
    auto byState = [&](const char *label, Filter filter) {
        std::string line = label;
        for (auto &[value, count] : storage.countBy(schema::elements, ElementObj::LastState, filter)) {
            int index = std::atoi(value.c_str());
            line += std::string(" ") + (value.size() == 1 && index >= 0 && index <= 2 ? stateNames[index] : value.c_str())
                    + " " + std::to_string(count);
        }
        out.push_back(line);
    };
    byState("检测状态:", Filter::where(ElementObj::Type, inventory::MonitorType));
    auto deviceTypes = storage.countBy(schema::elements, ElementObj::Type, Filter::all());
    for (auto &[type, count] : deviceTypes)
        if (type != inventory::GroupType && type != inventory::MonitorType && type != inventory::RootType)
            out.push_back("设备类型 " + type + ": " + std::to_string(count));
}

void alerts(ServerState &state, bool administrator, Lines &out)
{
    Storage &storage = state.storage();
    auto transaction = storage.begin(false);
    std::int64_t first = 0, last = 0;
    timetext::dayRange(timetext::now().substr(0, timetext::now().find(' ')), first, last);
    out.push_back("报警规则: " + std::to_string(storage.count(schema::alertRules, Filter::all())));
    out.push_back("启用的规则: "
                  + std::to_string(storage.count(schema::alertRuleParameters,
                                                 Filter::where(AlertRuleParameterObj::Enabled, "1"))));
    out.push_back("报警日志: " + std::to_string(storage.count(schema::alertLogs, Filter::all())));
    out.push_back("今日报警: "
                  + std::to_string(storage.count(schema::alertLogs, Filter().timeFrom(first).timeTo(last))));
}

struct WatchType
{
    const char *number;
    const char *name;
    const char *description;
    void (*report)(ServerState &, bool administrator, Lines &);
};

constexpr WatchType types[] = {
    {"1", "服务器", "服务程序、地址与运行时间", &server},
    {"2", "请求统计", "请求与连接的计数", &requests},
    {"3", "在线用户", "已登录未注销的用户", &sessions},
    {"4", "数据库", "数据库文件与各表行数", &database},
    {"5", "检测状态", "设备与检测的数量和状态", &monitoring},
    {"6", "报警", "报警规则与报警日志", &alerts},
};
constexpr const char *RootNumber = "0";

std::unique_ptr<SysTypeObj> node(const char *number, const char *name, const char *parent, const char *description)
{
    auto record = std::make_unique<SysTypeObj>();
    record->set(SysTypeObj::No, number);
    record->setTruncated(SysTypeObj::NodeName, orb::fromUtf8(name));
    record->set(SysTypeObj::ParentNo, parent);
    record->setTruncated(SysTypeObj::Description, orb::fromUtf8(description));
    return record;
}

} // namespace

std::unique_ptr<MtxTree> watchTypes()
{
    auto tree = std::make_unique<MtxTree>(node(RootNumber, "系统性能", "-1", "全部状态"));
    for (const WatchType &type : types)
        tree->appendChild(std::make_unique<MtxTree>(node(type.number, type.name, RootNumber, type.description)));
    return tree;
}

bool lines(ServerState &server, const std::string &number, bool administrator, std::vector<std::string> &out)
{
    for (const WatchType &type : types) {
        if (number == RootNumber) {
            out.push_back(std::string("[") + type.name + "]");
            type.report(server, administrator, out);
        } else if (number == type.number) {
            type.report(server, administrator, out);
            return true;
        }
    }
    return number == RootNumber;
}

} // namespace statusreport
