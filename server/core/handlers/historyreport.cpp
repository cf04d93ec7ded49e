#include "server/core/handlers/historyreport.h"

#include <cstdio>
#include <ctime>

#include "orb/textframe/textframe.h"
#include "orb/wire/codepage.h"
#include "server/core/schema.h"
#include "server/core/serverlog.h"
#include "server/core/serverstate.h"
#include "server/core/timetext.h"
#include "server/storage/storage.h"
#include "services/types/syslogobj.h"

namespace historyreport {
namespace {

enum Field { Command, MonitorId, MonitorType, From, To, Reserved, FieldCount };

void appendClean(std::string &out, std::string_view text)
{
    for (char c : text)
        if (c != textframe::FieldEnd && c != '\r' && c != '\n')
            out += c;
}

void logDeletion(ServerState &server, const std::string &monitorId, std::string_view from, std::string_view to,
                 int count)
{
    SysLogObj record;
    record.set(SysLogObj::ID, ServerState::newId());
    record.setTruncated(SysLogObj::Type, orb::fromUtf8("操作"));
    record.setTruncated(SysLogObj::Date, timetext::now());
    record.setTruncated(SysLogObj::User, "StatView");
    record.setTruncated(SysLogObj::Title, orb::fromUtf8("删除检测记录"));
    record.setTruncated(SysLogObj::Description,
                        monitorId + " " + std::string(from) + orb::fromUtf8("至") + std::string(to) + " "
                            + std::to_string(count));
    server.storage().insert(schema::sysLogs, record);
}

} // namespace

std::string error(std::string_view reasonUtf8)
{
    return "<error>" + orb::fromUtf8(reasonUtf8) + "</end>";
}

std::string line(const HistoryRow &row)
{
    std::string out;
    out.reserve(64 + row.remark.size() + row.values.size() * 8);
    appendClean(out, row.monitorId);
    out += '$';
    appendClean(out, row.monitorType);
    out += '$';
    out += timetext::format(std::time_t(row.time));
    out += '$';
    out += std::to_string(row.state);
    out += '$';
    appendClean(out, row.remark);
    out += '$';
    out += std::to_string(row.time);
    out += '$';
    out += std::to_string(row.values.size());
    out += '$';
    for (const std::string &value : row.values) {
        appendClean(out, value);
        out += '$';
    }
    out += "\r\n";
    return out;
}

std::string answer(ServerState &server, std::string_view payload)
{
    const textframe::Fields split = textframe::split(payload);
    const auto &fields = split.fields;
    if (fields.size() < FieldCount || !split.tail.empty())
        return error("请求的字段不全：需要 命令$监测器$类型$开始时间$结束时间$4$");
    const bool query = fields[Command] == "GetReport";
    if (!query && fields[Command] != "DeleteReport")
        return error("未知的请求 " + std::string(fields[Command]) + "：只支持 GetReport 和 DeleteReport");
    std::time_t from = 0;
    std::time_t to = 0;
    if (!timetext::parse(fields[From], from) || !timetext::parse(fields[To], to))
        return error("时间格式错误：应为 年-月-日 时:分:秒");
    const std::string monitorId(fields[MonitorId]);
    if (monitorId.empty())
        return error("没有指定监测器");
    try {
        Storage &storage = server.storage();
        if (query) {
            std::string reply;
            for (const HistoryRow &row : storage.selectHistory(monitorId, from, to, MaxRows))
                reply += line(row);
            reply += textframe::EndMark;
            return reply;
        }
        auto transaction = storage.begin(true);
        const int count = storage.deleteHistory(monitorId, from, to);
        logDeletion(server, monitorId, fields[From], fields[To], count);
        transaction->commit();
        serverlog::info("history of monitor " + monitorId + " deleted: " + std::to_string(count) + " rows");
        return std::string(Succeeded);
    } catch (const StorageError &failure) {
        serverlog::error("data channel: " + std::string(failure.what()));
        return error("数据库操作失败，请查看服务器日志");
    }
}

} // namespace historyreport
