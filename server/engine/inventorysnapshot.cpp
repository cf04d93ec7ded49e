#include "server/engine/inventorysnapshot.h"

#include <cstdlib>

#include "server/core/handlers/inventory.h"
#include "server/core/schema.h"
#include "server/storage/storage.h"
#include "services/types/elementobj.h"
#include "services/types/monitorobj.h"

namespace {

// Whether the window of every element from id up to the root allows now.
template <class Window>
bool chainAllows(const std::unordered_map<std::string, InventorySnapshot::Control> &controls, std::string id,
                 std::time_t now, Window window)
{
    for (int level = 0; level <= inventory::MaxDepth + 1; ++level) {
        auto found = controls.find(id);
        if (found == controls.end())
            return true;
        if (!window(found->second).allows(now))
            return false;
        id = found->second.parent;
    }
    return true;
}

} // namespace

bool InventorySnapshot::allowsMonitoring(const MonitorConfig &monitor, std::time_t now) const
{
    return monitor.monitoring.allows(now)
           && chainAllows(controls, monitor.deviceId, now, [](const Control &c) -> const ControlWindow & { return c.monitoring; });
}

bool InventorySnapshot::allowsAlerting(const MonitorConfig &monitor, std::time_t now) const
{
    return monitor.alerting.allows(now)
           && chainAllows(controls, monitor.deviceId, now, [](const Control &c) -> const ControlWindow & { return c.alerting; });
}

std::shared_ptr<InventorySnapshot> InventorySnapshot::load(Storage &storage, std::chrono::seconds defaultPeriod)
{
    // Read row by row: a large inventory is never held whole as records.
    auto snapshot = std::make_shared<InventorySnapshot>();
    auto transaction = storage.begin(false);
    std::unordered_map<std::string, std::string> addresses; // of the elements monitors hang below
    storage.forEach(schema::elements, Filter::all(), [&](const MtxRecord &row) {
        const auto &element = static_cast<const ElementObj &>(row);
        const std::string &id = element.get(ElementObj::ID);
        Node &node = snapshot->nodes[id];
        node.parent = element.get(ElementObj::PID);
        node.monitor = inventory::isMonitor(element);
        node.state = std::atoi(element.get(ElementObj::LastState).c_str());
        snapshot->children[node.parent].push_back(id);
        if (node.monitor)
            return;
        if (!element.get(ElementObj::Entity_IpAddress).empty())
            addresses[id] = element.get(ElementObj::Entity_IpAddress);
        snapshot->controls[id] = {
            node.parent,
            ControlWindow(element.get(ElementObj::MStatus), element.get(ElementObj::MSTime), element.get(ElementObj::METime)),
            ControlWindow(element.get(ElementObj::AStatus), element.get(ElementObj::ASTime), element.get(ElementObj::AETime))};
    });
    storage.forEach(schema::monitors, Filter::all(), [&](const MtxRecord &row) {
        const auto &monitor = static_cast<const MonitorObj &>(row);
        auto address = addresses.find(monitor.get(MonitorObj::ParentId));
        auto config = MonitorConfig::from(monitor, address == addresses.end() ? std::string() : address->second,
                                      defaultPeriod);
        snapshot->monitors[config->id] = config;
    });
    snapshot->rules = AlertRule::loadEnabled(storage);
    return snapshot;
}