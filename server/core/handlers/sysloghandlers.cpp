#include "server/core/call.h"
#include "server/core/handlers/records.h"
#include "server/core/handlertable.h"
#include "server/core/schema.h"
#include "server/core/serverstate.h"
#include "server/core/timetext.h"

// "SecurityService": the operation log, by a range of whole days.
namespace {

constexpr const char *Service = "SecurityService";

Filter dayRange(Call &call)
{
    std::int64_t first = 0, last = 0, unused = 0;
    if (!timetext::dayRange(call.text(0), first, unused) || !timetext::dayRange(call.text(1), unused, last))
        throw Refusal(refusal::BadRequest, "日期格式应为 年-月-日");
    return Filter().timeFrom(first).timeTo(last);
}

std::unique_ptr<MtxObj> selectSysLogArray(Call &call)
{
    Filter range = dayRange(call);
    const std::size_t cap = call.server().info().maxLogRows;
    if (std::size_t(call.storage().count(schema::sysLogs, range)) > cap)
        throw Refusal(refusal::Refused, "日志超过" + std::to_string(cap) + "条，请缩小日期范围");
    return records::array(call.storage().select(schema::sysLogs, range, RowOrder::TimeAscending));
}

std::unique_ptr<MtxObj> deleteSysLogArray(Call &call)
{
    int removed = call.storage().remove(schema::sysLogs, dayRange(call));
    call.setLogDetail(call.text(0) + " - " + call.text(1) + " (" + std::to_string(removed) + ")");
    return nullptr;
}

constexpr HandlerEntry table[] = {
    {Service, "selectSysLogArray", &selectSysLogArray, Access::Read},
    {Service, "deleteSysLogArray", &deleteSysLogArray, Access::Write, "删除操作日志"},
};

} // namespace

std::span<const HandlerEntry> sysLogHandlers()
{
    return table;
}
