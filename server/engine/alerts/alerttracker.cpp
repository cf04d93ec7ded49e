#include "server/engine/alerts/alerttracker.h"

#include <set>

#include "server/engine/monitorconfig.h"
#include "server/storage/storage.h"

void AlertTracker::reset(std::vector<std::shared_ptr<const AlertRule>> rules, Storage &storage)
{
    m_byWatched.clear();
    for (const auto &rule : rules)
        for (const std::string &watched : rule->watched)
            m_byWatched[watched].push_back(rule);
    m_counts.clear();
    m_changed.clear();
    for (auto &[key, value] : storage.loadCounters(CounterGroup))
        m_counts[key] = long(value);
}

void AlertTracker::reload(const std::unordered_set<std::string> &monitors, Storage &storage)
{
    auto ofMonitor = [&](const std::string &key) {
        std::size_t slash = key.find('/');
        return slash != std::string::npos && monitors.count(key.substr(slash + 1)) > 0;
    };
    for (auto count = m_counts.begin(); count != m_counts.end();) {
        if (!ofMonitor(count->first)) {
            ++count;
            continue;
        }
        m_changed.erase(count->first);
        count = m_counts.erase(count);
    }
    for (auto &[key, value] : storage.loadCounters(CounterGroup))
        if (ofMonitor(key))
            m_counts[key] = long(value);
}

void AlertTracker::observe(const MonitorConfig &monitor, const std::vector<std::string> &chain, int state,
                           const std::string &remark, std::time_t time, bool alertAllowed,
                           std::vector<AlertJob> &jobs)
{
    if (m_byWatched.empty() || !alertAllowed)
        return;
    std::set<const AlertRule *> seen; // a rule watching the monitor and its device counts once
    for (const std::string &id : chain) {
        auto found = m_byWatched.find(id);
        if (found == m_byWatched.end())
            continue;
        for (const auto &rule : found->second) {
            if (!seen.insert(rule.get()).second)
                continue;
            std::string key = rule->id + "/" + monitor.id;
            long &count = m_counts[key];
            long before = count;
            count = rule->matches(state) ? count + 1 : 0;
            if (count != before)
                m_changed.insert(key);
            if (count > 0 && rule->sendsAt(count))
                jobs.push_back({rule, monitor.id, monitor.text, state, remark, time});
        }
    }
}

void AlertTracker::save(Storage &storage)
{
    if (m_changed.empty())
        return;
    std::vector<std::pair<std::string, std::int64_t>> counters;
    counters.reserve(m_changed.size());
    for (const std::string &key : m_changed)
        counters.emplace_back(key, m_counts[key]);
    storage.saveCounters(CounterGroup, counters);
    m_changed.clear();
}

long AlertTracker::count(const std::string &ruleId, const std::string &monitorId) const
{
    auto found = m_counts.find(ruleId + "/" + monitorId);
    return found == m_counts.end() ? 0 : found->second;
}
