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

// Users logged in and not yet logged off, per peer address (a login again
// from there counts, a logoff ends it). Kept in the
// database, so a restart keeps everyone logged in; each call runs in the
// caller's transaction or its own.
class SessionTable
{
public:
    struct Session
    {
        std::string user;
        std::string peer;
        std::string since;
        int logins = 0;
    };

    explicit SessionTable(Storage &storage) : m_storage(storage) {}

    void login(const std::string &user, const std::string &peer, const std::string &time);
    // False when user had no session from peer.
    bool logoff(const std::string &user, const std::string &peer);
    bool has(const std::string &user, const std::string &peer) const;
    // Ends every session of user (the account was deleted).
    void endAll(const std::string &user);
    // Ends the sessions whose account no longer exists (removed beside the
    // server); returns how many. Deleting a user ends its sessions itself, so
    // after this at start a session always has its user.
    int endOrphaned();
    std::size_t count() const;
    std::vector<Session> sessions() const;

private:
    Storage &m_storage;
};

// Where the server runs, for the status report.
struct ServerInfo
{
    std::string listenAddress;
    int port = 0;
    int discoveryPort = 0;
    int workerThreads = 0;
    std::string databasePath;
    // Other nodes may change the database (PostgreSQL; an SQLite file has one server).
    bool sharedDatabase = false;
    // This server among the nodes sharing one database.
    std::string nodeName;
    // The most operation-log rows one query may return.
    std::size_t maxLogRows = 100000;
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
    // The same for servers sharing the database: a change writes a new stamp
    // in the caller's transaction, and the engines of the other nodes compare
    // it with the one they read last. Nothing is written when no other node can read it.
    void stampInventoryChange();
    std::int64_t storedInventoryStamp() const;

    // How many monitors this node runs (the engine keeps it current).
    void setMonitorsHeld(std::size_t count) { m_monitorsHeld = count; }
    std::size_t monitorsHeld() const { return m_monitorsHeld; }

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
    std::atomic<std::size_t> m_monitorsHeld{0};
};
