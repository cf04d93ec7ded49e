#include "server/core/handlers/inventory.h"

#include <set>

#include "server/core/handlers/records.h"
#include "server/core/schema.h"
#include "services/types/alertmonitorobj.h"
#include "services/types/elementobj.h"
#include "services/types/monitorobj.h"

namespace inventory {

std::unique_ptr<ElementObj> root(Storage &storage)
{
    return records::find<ElementObj>(storage, schema::elements, ElementObj::PID, RootParent);
}

std::unique_ptr<ElementObj> element(Storage &storage, const std::string &id)
{
    return records::find<ElementObj>(storage, schema::elements, ElementObj::ID, id);
}

bool isMonitor(const ElementObj &element)
{
    return element.get(ElementObj::Type) == MonitorType;
}

int depth(Storage &storage, const std::string &id)
{
    std::string current = id;
    for (int levels = 0; levels <= MaxDepth + 1; ++levels) {
        auto node = element(storage, current);
        if (!node)
            return -1;
        if (node->get(ElementObj::PID) == RootParent)
            return levels;
        current = node->get(ElementObj::PID);
    }
    return MaxDepth + 1; // deeper than allowed, or a loop
}

bool isWithin(Storage &storage, const std::string &candidate, const std::string &id)
{
    std::string current = candidate;
    for (int levels = 0; levels <= MaxDepth + 1; ++levels) {
        if (current == id)
            return true;
        auto node = element(storage, current);
        if (!node || node->get(ElementObj::PID) == RootParent)
            return false;
        current = node->get(ElementObj::PID);
    }
    return true; // a loop: treat as inside, so nothing is moved into it
}

std::vector<std::string> subtree(Storage &storage, const std::string &id)
{
    std::vector<std::string> ids{id};
    std::set<std::string> seen{id};
    for (std::size_t next = 0; next < ids.size(); ++next) {
        for (auto &child : storage.select(schema::elements, Filter::where(ElementObj::PID, ids[next]))) {
            const std::string &childId = child->get(ElementObj::ID);
            if (seen.insert(childId).second)
                ids.push_back(childId);
        }
    }
    return ids;
}

void removeElements(Storage &storage, const std::vector<std::string> &ids)
{
    constexpr std::size_t chunk = 500;
    for (std::size_t from = 0; from < ids.size(); from += chunk) {
        std::vector<std::string> part(ids.begin() + long(from), ids.begin() + long(std::min(ids.size(), from + chunk)));
        storage.remove(schema::alertMonitors, Filter().oneOf(AlertMonitorObj::MonitorId, part));
        storage.remove(schema::monitors, Filter().oneOf(MonitorObj::Id, part));
        storage.remove(schema::elements, Filter().oneOf(ElementObj::ID, std::move(part)));
    }
}

ElementObj mirrorOf(const MonitorObj &monitor, const ElementObj &device, const ElementObj *earlier)
{
    ElementObj mirror;
    if (earlier)
        mirror = *earlier;
    else
        mirror.set(ElementObj::LastState, std::to_string(Normal));
    mirror.params().clear();
    mirror.set(ElementObj::SEID, monitor.get(MonitorObj::seid).empty() ? device.get(ElementObj::SEID)
                                                                         : monitor.get(MonitorObj::seid));
    mirror.set(ElementObj::ID, monitor.get(MonitorObj::Id));
    mirror.set(ElementObj::PID, monitor.get(MonitorObj::ParentId));
    mirror.setTruncated(ElementObj::Text, monitor.get(MonitorObj::Text));
    mirror.set(ElementObj::Type, MonitorType);
    mirror.set(ElementObj::Entity_IpAddress, device.get(ElementObj::Entity_IpAddress));
    mirror.set(ElementObj::Monitor_Type, monitor.get(MonitorObj::MonitorType));
    for (auto [from, to] : {std::pair{MonitorObj::MStatus, ElementObj::MStatus}, {MonitorObj::MSTime, ElementObj::MSTime},
                            {MonitorObj::METime, ElementObj::METime}, {MonitorObj::AStatus, ElementObj::AStatus},
                            {MonitorObj::ASTime, ElementObj::ASTime}, {MonitorObj::AETime, ElementObj::AETime}})
        mirror.set(to, monitor.get(from));
    return mirror;
}

} // namespace inventory
