#pragma once

#include <ctime>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "server/engine/alerts/alertdelivery.h"

class Storage;
struct MonitorConfig;

// Counts, per rule and monitor, the consecutive results that match the
// rule's level, and decides by the rule's send rule which of them are sent.
// The counts are stored with the results, so they survive a restart.
class AlertTracker
{
public:
    // Takes the enabled rules and the stored counts.
    void reset(std::vector<std::shared_ptr<const AlertRule>> rules, Storage &storage);

    // One result of monitor; chain holds the monitor's id and its ancestors'
    // (a rule may watch any of them). alertAllowed is the monitor's alerting
    // control now: when it forbids, counts stay as they are.
    void observe(const MonitorConfig &monitor, const std::vector<std::string> &chain, int state,
                 const std::string &remark, std::time_t time, bool alertAllowed, std::vector<AlertJob> &jobs);

    // Reads the stored counts of monitors afresh (another node may have
    // counted their results since this one last did).
    void reload(const std::unordered_set<std::string> &monitors, Storage &storage);

    // Writes the counts changed since the last save (inside the caller's transaction).
    void save(Storage &storage);

    long count(const std::string &ruleId, const std::string &monitorId) const;

    static constexpr const char *CounterGroup = "alert";

private:
    std::unordered_map<std::string, std::vector<std::shared_ptr<const AlertRule>>> m_byWatched;
    std::unordered_map<std::string, long> m_counts; // "rule/monitor"
    std::unordered_set<std::string> m_changed;
};
