#include "server/engine/resultrecorder.h"

#include <algorithm>
#include <cstdlib>
#include <set>
#include <unordered_set>

#include "orb/wire/codepage.h"
#include "server/core/handlers/inventory.h"
#include "server/core/schema.h"
#include "server/core/serverlog.h"
#include "server/core/timetext.h"
#include "server/engine/alerts/alertdelivery.h"
#include "server/engine/enginestats.h"
#include "server/storage/storage.h"
#include "services/types/elementobj.h"

ResultRecorder::ResultRecorder(Storage &storage, AlertDelivery &delivery, EngineStats &stats)
    : m_storage(storage), m_delivery(delivery), m_stats(stats)
{
}

void ResultRecorder::reset(InventorySnapshot &snapshot)
{
    std::lock_guard hold(m_writeLock);
    m_nodes = std::move(snapshot.nodes);
    m_children = std::move(snapshot.children);
    snapshot.nodes.clear();
    snapshot.children.clear();
    m_alerts.reset(snapshot.rules, m_storage);
}

void ResultRecorder::adopt(const std::vector<std::string> &monitorIds)
{
    std::unordered_set<std::string> adopted(monitorIds.begin(), monitorIds.end());
    std::lock_guard hold(m_writeLock);
    auto transaction = m_storage.begin(false);
    m_storage.forEach(schema::elements, Filter::where(ElementObj::Type, inventory::MonitorType), [&](const MtxRecord &row) {
        const std::string &id = row.get(ElementObj::ID);
        if (!adopted.count(id))
            return;
        if (auto found = m_nodes.find(id); found != m_nodes.end())
            found->second.state = std::atoi(row.get(ElementObj::LastState).c_str());
    });
    m_alerts.reload(adopted, m_storage);
}

void ResultRecorder::push(CheckOutcome outcome)
{
    std::lock_guard hold(m_queueLock);
    m_queue.push_back(std::move(outcome));
}

std::size_t ResultRecorder::queued() const
{
    std::lock_guard hold(m_queueLock);
    return m_queue.size();
}

void ResultRecorder::flush()
{
    std::lock_guard hold(m_writeLock);
    std::vector<CheckOutcome> batch;
    {
        std::lock_guard queue(m_queueLock);
        batch.swap(m_queue);
    }
    if (!batch.empty())
        write(batch);
}

void ResultRecorder::writeNow(CheckOutcome outcome)
{
    std::lock_guard hold(m_writeLock);
    std::vector<CheckOutcome> batch;
    {
        std::lock_guard queue(m_queueLock);
        batch.swap(m_queue);
    }
    batch.push_back(std::move(outcome));
    write(batch);
}

int ResultRecorder::state(const std::string &id) const
{
    std::lock_guard hold(m_writeLock);
    auto found = m_nodes.find(id);
    return found == m_nodes.end() ? -1 : found->second.state;
}

long ResultRecorder::alertCount(const std::string &ruleId, const std::string &monitorId) const
{
    std::lock_guard hold(m_writeLock);
    return m_alerts.count(ruleId, monitorId);
}

std::vector<std::string> ResultRecorder::chainOf(const std::string &monitorId, const std::string &deviceId) const
{
    std::vector<std::string> chain{monitorId};
    std::string current = deviceId;
    for (int level = 0; level <= inventory::MaxDepth + 1 && !current.empty() && current != inventory::RootParent;
         ++level) {
        chain.push_back(current);
        auto found = m_nodes.find(current);
        if (found == m_nodes.end())
            break;
        current = found->second.parent;
    }
    return chain;
}

void ResultRecorder::write(std::vector<CheckOutcome> &batch)
{
    std::vector<HistoryRow> history;
    history.reserve(batch.size());
    std::vector<std::string> dirty;
    std::vector<AlertJob> jobs;
    std::time_t latest = 0;
    try {
        auto transaction = m_storage.begin(true);
        for (CheckOutcome &outcome : batch) {
            const MonitorConfig &monitor = *outcome.monitor;
            Node &node = m_nodes[monitor.id];
            if (node.parent.empty()) {
                node.parent = monitor.deviceId;
                node.monitor = true;
                m_children[monitor.deviceId].push_back(monitor.id);
            }
            const std::string time = timetext::format(outcome.time);
            std::vector<std::pair<int, std::string>> fields = {
                {ElementObj::LastState, std::to_string(outcome.state)},
                {ElementObj::LastMonitorTime, time},
                {ElementObj::Monitor_Description, outcome.remark.substr(0, orb::fitLength(outcome.remark, 511))}};
            if (node.state != outcome.state) {
                fields.emplace_back(ElementObj::LastChangeStateTime, time);
                node.state = outcome.state;
                dirty.push_back(monitor.deviceId);
                ++m_stats.stateChanges;
            }
            m_storage.updateFields(schema::elements, Filter::where(ElementObj::ID, monitor.id), fields);
            m_alerts.observe(monitor, chainOf(monitor.id, monitor.deviceId), outcome.state, outcome.remark,
                             outcome.time, outcome.alertAllowed, jobs);
            history.push_back({monitor.id, monitor.kindId, outcome.time, outcome.state, outcome.remark,
                               std::move(outcome.values)});
            latest = std::max(latest, outcome.time);
        }
        rollUp(std::move(dirty), timetext::format(latest));
        m_storage.appendHistory(history);
        m_alerts.save(m_storage);
        transaction->commit();
    } catch (const std::exception &failure) {
        serverlog::error(std::string("cannot store ") + std::to_string(batch.size())
                         + " check results: " + failure.what());
        return;
    }
    m_stats.resultsStored += batch.size();
    ++m_stats.batchesStored;
    for (AlertJob &job : jobs)
        m_delivery.post(std::move(job));
}

void ResultRecorder::rollUp(std::vector<std::string> dirty, const std::string &time)
{
    // Upwards: a device takes the worst state of its monitors, a group the
    // worst of its members; elements without children keep theirs. Deepest
    // first, so that each element is worked out once, after its members, and
    // in one fixed order (depth, then id), so that two nodes rolling up at
    // once never wait on each other's rows in a cycle.
    std::set<std::pair<int, std::string>> pending; // negated depth, id
    for (std::string &id : dirty)
        pending.emplace(-depthOf(id), std::move(id));
    while (!pending.empty()) {
        auto [negatedDepth, id] = std::move(pending.extract(pending.begin()).value());
        auto node = m_nodes.find(id);
        auto children = m_children.find(id);
        if (node == m_nodes.end() || node->second.monitor || children == m_children.end())
            continue;
        if (m_shared)
            refreshFamily(id);
        int worst = inventory::Normal;
        for (const std::string &child : children->second)
            if (auto found = m_nodes.find(child); found != m_nodes.end())
                worst = std::max(worst, found->second.state);
        if (worst == node->second.state)
            continue;
        node->second.state = worst;
        m_storage.updateFields(schema::elements, Filter::where(ElementObj::ID, id),
                               {{ElementObj::LastState, std::to_string(worst)}, {ElementObj::LastChangeStateTime, time}});
        if (node->second.parent != inventory::RootParent)
            pending.emplace(negatedDepth + 1, node->second.parent);
    }
}

int ResultRecorder::depthOf(const std::string &id) const
{
    int depth = 0;
    for (auto node = m_nodes.find(id); node != m_nodes.end() && depth <= inventory::MaxDepth + 1;
         node = m_nodes.find(node->second.parent))
        ++depth;
    return depth;
}

void ResultRecorder::refreshFamily(const std::string &id)
{
    // Within the batch's transaction: the element's own state and its
    // children's, as every node last wrote them. The element's row is locked
    // first (written unchanged), so that of two nodes rolling it up at once
    // the later one reads the states the earlier committed.
    m_storage.updateFields(schema::elements, Filter::where(ElementObj::ID, id), {{ElementObj::ID, id}});
    auto refresh = [&](const Filter &filter) {
        for (const auto &row : m_storage.select(schema::elements, filter))
            if (auto found = m_nodes.find(row->get(ElementObj::ID)); found != m_nodes.end())
                found->second.state = std::atoi(row->get(ElementObj::LastState).c_str());
    };
    refresh(Filter::where(ElementObj::ID, id));
    refresh(Filter::where(ElementObj::PID, id));
}
