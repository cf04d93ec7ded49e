#include "server/core/call.h"
#include "server/core/handlers/inventory.h"
#include "server/core/handlers/records.h"
#include "server/core/handlertable.h"
#include "server/core/schema.h"
#include "services/types/elementobj.h"
#include "services/types/monitorobj.h"

// "ElementService": monitors with their parameters and state conditions. Each
// monitor also has a mirror element in the inventory tree.
namespace {

constexpr const char *Service = "ElementService";
constexpr const char *NoMonitor = "检测不存在，请刷新后重试";

std::unique_ptr<MtxObj> selectMonitorObj(Call &call)
{
    return records::require<MonitorObj>(call.storage(), schema::monitors, MonitorObj::Id, call.text(0), NoMonitor);
}

// The device a monitor runs against: an existing element that is neither the
// root, a group nor a monitor.
std::unique_ptr<ElementObj> requireDevice(Call &call, const MonitorObj &monitor)
{
    auto device = inventory::element(call.storage(), monitor.get(MonitorObj::ParentId));
    if (!device)
        throw Refusal(refusal::NotFound, "检测所属的设备不存在，请刷新后重试");
    const std::string &type = device->get(ElementObj::Type);
    if (type == inventory::RootType || type == inventory::GroupType || type == inventory::MonitorType)
        throw Refusal(refusal::Refused, "检测只能添加在设备下");
    return device;
}

std::unique_ptr<MtxObj> addMonitor(Call &call)
{
    MonitorObj monitor = call.record<MonitorObj>(0);
    const std::string id = monitor.get(MonitorObj::Id);
    records::requireText(id, "检测ID不能为空");
    records::requireText(monitor.get(MonitorObj::MonitorType), "检测类型不能为空");
    if (records::exists(call.storage(), schema::monitors, MonitorObj::Id, id) || inventory::element(call.storage(), id))
        throw Refusal(refusal::Exists, "检测ID已存在");
    auto device = requireDevice(call, monitor);
    if (monitor.get(MonitorObj::seid).empty())
        monitor.set(MonitorObj::seid, device->get(ElementObj::SEID));
    call.storage().insert(schema::monitors, monitor);
    call.storage().insert(schema::elements, inventory::mirrorOf(monitor, *device, nullptr));
    call.setLogDetail(monitor.get(MonitorObj::Text));
    return records::text(id);
}

std::unique_ptr<MtxObj> updateMonitor(Call &call)
{
    const MonitorObj &monitor = call.record<MonitorObj>(0);
    const std::string id = monitor.get(MonitorObj::Id);
    records::require<MonitorObj>(call.storage(), schema::monitors, MonitorObj::Id, id, NoMonitor);
    auto device = requireDevice(call, monitor);
    auto mirror = inventory::element(call.storage(), id);
    call.storage().update(schema::monitors, Filter::where(MonitorObj::Id, id), monitor);
    ElementObj updated = inventory::mirrorOf(monitor, *device, mirror.get());
    if (mirror)
        call.storage().update(schema::elements, Filter::where(ElementObj::ID, id), updated);
    else
        call.storage().insert(schema::elements, updated);
    call.setLogDetail(monitor.get(MonitorObj::Text));
    return records::text(id);
}

std::unique_ptr<MtxObj> deleteMonitor(Call &call)
{
    const std::string id = call.text(0);
    auto monitor = records::require<MonitorObj>(call.storage(), schema::monitors, MonitorObj::Id, id, NoMonitor);
    inventory::removeElements(call.storage(), {id});
    call.setLogDetail(monitor->get(MonitorObj::Text));
    return nullptr;
}

constexpr HandlerEntry table[] = {
    {Service, "selectMonitorObj", &selectMonitorObj, Access::Read},
    {Service, "addMonitor", &addMonitor, Access::Write, "添加检测"},
    {Service, "updateMonitor", &updateMonitor, Access::Write, "修改检测"},
    {Service, "deleteMonitor", &deleteMonitor, Access::Write, "删除检测"},
};

} // namespace

std::span<const HandlerEntry> monitorHandlers()
{
    return table;
}
