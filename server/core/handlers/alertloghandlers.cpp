#include "server/core/call.h"
#include "server/core/handlers/records.h"
#include "server/core/handlertable.h"
#include "server/core/schema.h"
#include "services/types/alertlogobj.h"

// "AlertService": the alert log, read and cleared per rule or per monitor,
// newest entry first.
namespace {

constexpr const char *Service = "AlertService";

template <int Field>
std::unique_ptr<MtxObj> findLog(Call &call)
{
    return records::array(
        call.storage().select(schema::alertLogs, Filter::where(Field, call.text(0)), RowOrder::TimeDescending));
}

template <int Field>
std::unique_ptr<MtxObj> deleteLog(Call &call)
{
    const std::string id = call.text(0);
    int removed = call.storage().remove(schema::alertLogs, Filter::where(Field, id));
    call.setLogDetail(id + " (" + std::to_string(removed) + ")");
    return nullptr;
}

constexpr HandlerEntry table[] = {
    {Service, "findAlertLogArrayByMonitorID", &findLog<AlertLogObj::MonitorId>, Access::Read},
    {Service, "deleteAlertLogByMonitorID", &deleteLog<AlertLogObj::MonitorId>, Access::Write, "清除检测报警日志"},
    {Service, "findAlertLogArrayByRuleID", &findLog<AlertLogObj::AlertRuleID>, Access::Read},
    {Service, "deleteAlertLogByRuleID", &deleteLog<AlertLogObj::AlertRuleID>, Access::Write, "清除规则报警日志"},
};

} // namespace

std::span<const HandlerEntry> alertLogHandlers()
{
    return table;
}
