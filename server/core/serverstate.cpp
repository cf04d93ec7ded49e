#include "server/core/serverstate.h"

#include <cstdlib>
#include <random>

#include <uuid/uuid.h>

#include "server/core/schema.h"
#include "server/core/sessionrecord.h"
#include "server/storage/storage.h"
#include "services/types/userobj.h"

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

namespace {

Filter sessionOf(const std::string &user, const std::string &peer)
{
    return Filter::where(SessionRecord::User, user).equal(SessionRecord::Peer, peer);
}

int logins(const MtxRecord &record)
{
    return std::atoi(record.get(SessionRecord::Logins).c_str());
}

} // namespace

void SessionTable::login(const std::string &user, const std::string &peer, const std::string &time)
{
    auto transaction = m_storage.begin(true);
    auto rows = m_storage.select(schema::sessions, sessionOf(user, peer));
    if (rows.empty()) {
        SessionRecord session;
        session.setTruncated(SessionRecord::User, user);
        session.setTruncated(SessionRecord::Peer, peer);
        session.setTruncated(SessionRecord::Since, time);
        session.set(SessionRecord::Logins, "1");
        m_storage.insert(schema::sessions, session);
    } else {
        rows.front()->set(SessionRecord::Logins, std::to_string(logins(*rows.front()) + 1));
        m_storage.update(schema::sessions, sessionOf(user, peer), *rows.front());
    }
    transaction->commit();
}

bool SessionTable::logoff(const std::string &user, const std::string &peer)
{
    auto transaction = m_storage.begin(true);
    // One logoff ends the session, however often the client logged in again
    // (a module's re-login) before.
    const bool ended = m_storage.remove(schema::sessions, sessionOf(user, peer)) > 0;
    transaction->commit();
    return ended;
}

bool SessionTable::has(const std::string &user, const std::string &peer) const
{
    if (user.empty())
        return false;
    auto transaction = m_storage.begin(false);
    return m_storage.count(schema::sessions, sessionOf(user, peer)) > 0;
}

void SessionTable::endAll(const std::string &user)
{
    auto transaction = m_storage.begin(true);
    m_storage.remove(schema::sessions, Filter::where(SessionRecord::User, user));
    transaction->commit();
}

int SessionTable::endOrphaned()
{
    auto transaction = m_storage.begin(true);
    int ended = 0;
    for (const std::string &user : m_storage.distinct(schema::sessions, SessionRecord::User, Filter::all()))
        if (m_storage.count(schema::users, Filter::where(UserObj::LoginName, user)) == 0)
            ended += m_storage.remove(schema::sessions, Filter::where(SessionRecord::User, user));
    transaction->commit();
    return ended;
}

std::size_t SessionTable::count() const
{
    auto transaction = m_storage.begin(false);
    return std::size_t(m_storage.count(schema::sessions, Filter::all()));
}

std::vector<SessionTable::Session> SessionTable::sessions() const
{
    auto transaction = m_storage.begin(false);
    std::vector<Session> list;
    for (const auto &row : m_storage.select(schema::sessions, Filter::all()))
        list.push_back({row->get(SessionRecord::User), row->get(SessionRecord::Peer), row->get(SessionRecord::Since),
                        logins(*row)});
    return list;
}

ServerState::ServerState(Storage &storage, ServerInfo info)
    : m_storage(storage), m_info(std::move(info)), m_sessions(storage), m_startTime(std::time(nullptr)),
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

namespace {

constexpr const char *StampGroup = "inventory";
constexpr const char *StampName = "stamp";

} // namespace

void ServerState::stampInventoryChange()
{
    if (!m_info.sharedDatabase)
        return;
    // Random rather than counted: two nodes changing at once must not write
    // the same stamp. Never zero, which would remove the counter.
    static thread_local std::mt19937_64 random(std::random_device{}());
    m_storage.saveCounters(StampGroup, {{StampName, std::int64_t(random() >> 1) | 1}});
}

std::int64_t ServerState::storedInventoryStamp() const
{
    auto transaction = m_storage.begin(false);
    for (const auto &[name, value] : m_storage.loadCounters(StampGroup))
        if (name == StampName)
            return value;
    return 0;
}

std::string ServerState::newId()
{
    uuid_t id;
    uuid_generate(id);
    char text[37];
    uuid_unparse_lower(id, text);
    return text;
}
