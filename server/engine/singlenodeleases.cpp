#include "server/engine/singlenodeleases.h"

#include "server/engine/pgmonitorleases.h"

MonitorLeases::~MonitorLeases() = default;

std::unique_ptr<MonitorLeases> MonitorLeases::create(const Options &options)
{
    if (options.database.empty())
        return std::make_unique<SingleNodeLeases>();
    return std::make_unique<PgMonitorLeases>(options);
}

void SingleNodeLeases::setMonitors(std::vector<std::string> ids)
{
    m_monitors = std::unordered_set<std::string>(ids.begin(), ids.end());
}

MonitorLeases::Round SingleNodeLeases::round(const Runs &)
{
    Round round;
    for (auto held = m_held.begin(); held != m_held.end();) {
        if (m_monitors.count(*held)) {
            ++held;
            continue;
        }
        round.lost.push_back(*held);
        held = m_held.erase(held);
    }
    for (const std::string &id : m_monitors)
        if (m_held.insert(id).second)
            round.taken.emplace_back(id, 0);
    return round;
}
