#include "server/core/serverstate.h"

#include <uuid/uuid.h>

void RequestStats::record(bool succeeded, std::chrono::microseconds duration)
{
    ++m_served;
    if (!succeeded)
        ++m_failed;
    std::int64_t micros = duration.count();
    m_totalMicros += micros;
    std::int64_t longest = m_longestMicros.load();
    while (micros > longest && !m_longestMicros.compare_exchange_weak(longest, micros)) {
    }
}

void SessionTable::login(const std::string &user, const std::string &address, const std::string &time)
{
    std::lock_guard hold(m_lock);
    m_sessions[user].try_emplace(address, time);
}

void SessionTable::logoff(const std::string &user, const std::string &address)
{
    std::lock_guard hold(m_lock);
    auto found = m_sessions.find(user);
    if (found == m_sessions.end())
        return;
    found->second.erase(address);
    if (found->second.empty())
        m_sessions.erase(found);
}

std::size_t SessionTable::count() const
{
    std::lock_guard hold(m_lock);
    return m_sessions.size();
}

std::vector<SessionTable::Session> SessionTable::sessions() const
{
    std::lock_guard hold(m_lock);
    std::vector<Session> list;
    for (const auto &[user, addresses] : m_sessions) {
        list.push_back(Session{user, addresses.begin()->second, int(addresses.size())});
    }
    return list;
}

ServerState::ServerState(Storage &storage, ServerInfo info)
    : m_storage(storage), m_info(std::move(info)), m_startTime(std::time(nullptr)),
      m_startClock(std::chrono::steady_clock::now())
{
}

void ServerState::setConnectionStatsSource(std::function<ConnectionStats()> source)
{
    std::lock_guard hold(m_sourceLock);
    m_connectionStats = std::move(source);
}

ConnectionStats ServerState::connectionStats() const
{
    std::lock_guard hold(m_sourceLock);
    return m_connectionStats ? m_connectionStats() : ConnectionStats{};
}

std::string ServerState::newId()
{
    uuid_t id;
    uuid_generate(id);
    char text[37];
    uuid_unparse_lower(id, text);
    return text;
}
