#pragma once

#include <ctime>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "server/engine/alerts/alerttracker.h"
#include "server/engine/inventorysnapshot.h"

class AlertDelivery;
class EngineStats;
class Storage;

// The evaluated result of one check.
struct CheckOutcome
{
    std::shared_ptr<const MonitorConfig> monitor;
    std::time_t time = 0;
    int state = 0;
    std::string remark; // "CpuUsage=82", or why the check could not run (code page)
    std::vector<std::string> values;
    bool alertAllowed = true; // the alerting controls of the monitor and its elements allow
};

// Writes results: the monitor's mirror element (state, times, result text),
// the states rolled up to devices and groups, a history row, and the alert
// counts, all of a batch in one transaction; the alerts that fire are handed
// to delivery after the commit.
class ResultRecorder
{
public:
    ResultRecorder(Storage &storage, AlertDelivery &delivery, EngineStats &stats);

    // Takes the states, tree (moved out of snapshot) and rules of a newly
    // read inventory.
    void reset(InventorySnapshot &snapshot);

    // Other nodes write results to the same database: roll-ups read the
    // states of siblings from storage rather than trusting this node's copy.
    void setShared(bool shared) { m_shared = shared; }
    // Takes over monitors another node may have run: reads their states and
    // alert counts afresh.
    void adopt(const std::vector<std::string> &monitorIds);

    // Queues a result for the next flush.
    void push(CheckOutcome outcome);
    std::size_t queued() const;
    // Writes the queued results as one batch.
    void flush();
    // Writes one result at once, with whatever is queued.
    void writeNow(CheckOutcome outcome);

    // The state the engine holds for an element (monitors, devices, groups); -1 if unknown.
    int state(const std::string &id) const;
    long alertCount(const std::string &ruleId, const std::string &monitorId) const;

private:
    using Node = InventorySnapshot::Node;

    void write(std::vector<CheckOutcome> &batch);
    std::vector<std::string> chainOf(const std::string &monitorId, const std::string &deviceId) const;
    void rollUp(std::vector<std::string> dirty, const std::string &time);
    void refreshFamily(const std::string &id);
    int depthOf(const std::string &id) const;

    Storage &m_storage;
    AlertDelivery &m_delivery;
    EngineStats &m_stats;

    mutable std::mutex m_queueLock;
    std::vector<CheckOutcome> m_queue;

    mutable std::mutex m_writeLock; // one batch at a time; guards everything below
    std::unordered_map<std::string, Node> m_nodes;
    std::unordered_map<std::string, std::vector<std::string>> m_children;
    AlertTracker m_alerts;
    bool m_shared = false;
};
