#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "server/core/loginthrottle.h"

class Storage;

// Counts of the connection layer, for the status report.
struct ConnectionStats
{
    std::uint64_t accepted = 0;
    std::uint64_t open = 0;        // connections open now (idle or in a request)
    std::uint64_t waiting = 0;     // of those, connections no request has arrived on yet
    std::uint64_t busyRefusals = 0;
    std::uint64_t timedOut = 0;    // requests that did not arrive whole in time
    std::uint64_t oversized = 0;
    std::uint64_t malformed = 0;
    std::uint64_t evicted = 0;     // idle connections closed to make room
};

// Request counters of the dispatcher.
class RequestStats
{
public:
    void record(bool succeeded, std::chrono::microseconds duration);

    std::uint64_t served() const { return m_served; }
    std::uint64_t failed() const { return m_failed; }
    std::chrono::microseconds totalTime() const { return std::chrono::microseconds(m_totalMicros.load()); }
    std::chrono::microseconds longest() const { return std::chrono::microseconds(m_longestMicros.load()); }

private:
    std::atomic<std::uint64_t> m_served{0};
    std::atomic<std::uint64_t> m_failed{0};
    std::atomic<std::int64_t> m_totalMicros{0};
    std::atomic<std::int64_t> m_longestMicros{0};
};

// Users logged in and not yet logged off (kept in memory only): one session
// per user and address, however often the user logs in again from there.
class SessionTable
{
public:
    struct Session
    {
        std::string user;
        std::string since;  // login time of the session from the first address
        int logins = 0;     // sessions: addresses the user is logged in from
    };

    void login(const std::string &user, const std::string &address, const std::string &time);
    void logoff(const std::string &user, const std::string &address);
    std::size_t count() const;
    std::vector<Session> sessions() const;

private:
    mutable std::mutex m_lock;
    // user -> address -> time of the first login from there
    std::map<std::string, std::map<std::string, std::string>> m_sessions;
};

// Where the server runs, for the status report.
struct ServerInfo
{
    std::string listenAddress;
    int port = 0;
    int discoveryPort = 0;
    int workerThreads = 0;
    std::string databasePath;
};

// Everything the handlers share: storage, counters, sessions and identity.
class ServerState
{
public:
    ServerState(Storage &storage, ServerInfo info);

    Storage &storage() const { return m_storage; }
    RequestStats &requests() { return m_requests; }
    SessionTable &sessions() { return m_sessions; }
    LoginThrottle &loginThrottle() { return m_loginThrottle; }
    const ServerInfo &info() const { return m_info; }
    ServerInfo &info() { return m_info; }
    std::time_t startTime() const { return m_startTime; }
    std::chrono::steady_clock::time_point startClock() const { return m_startClock; }

    void setConnectionStatsSource(std::function<ConnectionStats()> source);
    ConnectionStats connectionStats() const;

    // Counts committed changes of the inventory and the alert rules, so that
    // the monitoring engine knows when to read them again.
    void noteInventoryChange() { ++m_inventoryChanges; }
    std::uint64_t inventoryChanges() const { return m_inventoryChanges; }

    // A new identifier: a UUID in its 36-character text form.
    static std::string newId();

private:
    Storage &m_storage;
    ServerInfo m_info;
    RequestStats m_requests;
    SessionTable m_sessions;
    LoginThrottle m_loginThrottle;
    std::time_t m_startTime;
    std::chrono::steady_clock::time_point m_startClock;
    mutable std::mutex m_sourceLock;
    std::function<ConnectionStats()> m_connectionStats;
    std::atomic<std::uint64_t> m_inventoryChanges{0};
};
