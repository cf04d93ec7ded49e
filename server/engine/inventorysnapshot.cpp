#include "server/engine/inventorysnapshot.h"

#include <cstdlib>

#include "server/core/handlers/inventory.h"
#include "server/core/schema.h"
#include "server/storage/storage.h"
#include "services/types/elementobj.h"
#include "services/types/monitorobj.h"

std::shared_ptr<const InventorySnapshot> InventorySnapshot::load(Storage &storage, std::chrono::seconds defaultPeriod)
{
    auto snapshot = std::make_shared<InventorySnapshot>();
    auto transaction = storage.begin(false);
    auto elements = storage.select(schema::elements, Filter::all());
    std::unordered_map<std::string, const ElementObj *> byId;
    for (auto &row : elements) {
        const auto &element = static_cast<const ElementObj &>(*row);
        const std::string &id = element.get(ElementObj::ID);
        Node &node = snapshot->nodes[id];
        node.parent = element.get(ElementObj::PID);
        node.monitor = inventory::isMonitor(element);
        node.state = std::atoi(element.get(ElementObj::LastState).c_str());
        snapshot->children[node.parent].push_back(id);
        byId[id] = &element;
    }
    for (auto &row : storage.select(schema::monitors, Filter::all())) {
        const auto &monitor = static_cast<const MonitorObj &>(*row);
        auto device = byId.find(monitor.get(MonitorObj::ParentId));
        auto spec = MonitorSpec::from(monitor, device == byId.end() ? nullptr : device->second, defaultPeriod);
        snapshot->monitors[spec->id] = spec;
    }
    snapshot->rules = AlertRule::loadEnabled(storage);
    return snapshot;
}
