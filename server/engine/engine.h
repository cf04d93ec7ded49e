#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <queue>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "server/engine/alerts/alertdelivery.h"
#include "server/engine/checks/checkscope.h"
#include "server/engine/enginestats.h"
#include "server/engine/inventorysnapshot.h"
#include "server/engine/monitorleases.h"
#include "server/engine/resultrecorder.h"

class ServerState;
class WorkerPool;

struct EngineOptions
{
    CheckScope::Mode scope = CheckScope::Loopback;
    int checkThreads = 16;          // checks running at once, at most
    std::size_t checkQueue = 4096;  // checks waiting for a thread, at most
    std::chrono::milliseconds checkTimeout{5000};
    std::chrono::seconds defaultPeriod{60};
    std::chrono::milliseconds flushEvery{250};  // results are written at least this often
    std::size_t batchRows = 2000;               // or as soon as this many wait
    std::chrono::milliseconds reloadEvery{1000}; // how often changes of the inventory are looked for
    bool schedule = true; // false: checks run only on demand (tests)
    MonitorLeases::Options leases; // the node's name; a database shared with other nodes
    // Told of every scheduled run as it is handed to a check thread: the
    // monitor and its due time in milliseconds since the epoch (tests).
    std::function<void(const std::string &, std::int64_t)> runObserver;
    DeliveryOptions delivery;
};

// The monitoring engine: runs every monitor this node holds (all of them,
// unless nodes share the database through leases) at its period within its
// monitoring control, on a bounded pool of check threads, evaluates the
// results against the monitor's conditions and has them recorded.
class Engine
{
public:
    Engine(ServerState &server, EngineOptions options);
    ~Engine();

    // Reads the inventory, takes the node's monitors and starts the threads.
    // Throws std::runtime_error when the shared leases cannot be reached.
    void start();
    // Stops scheduling, lets the running checks end, writes their results,
    // hands the monitors back to the other nodes, sends the alerts already due.
    void stop();
    // Stops as a node that dies would: no more checks, nothing written, the
    // leases left to expire (tests).
    void halt();

    // Runs one monitor now (read afresh from storage), records the result
    // and returns once it is committed. False with the reason when the
    // monitor does not exist or does not belong to deviceId (when given).
    bool runNow(const std::string &monitorId, const std::string &deviceId, std::string &reason);
    // Reads the inventory again if it changed. Not to be called while the
    // caller holds a storage transaction (the reading needs the storage).
    void reloadIfChanged();
    // Writes what is queued (tests and the flush thread).
    void flush() { m_recorder.flush(); }

    // Runs one check of monitor and evaluates it (no recording).
    CheckOutcome check(const std::shared_ptr<const MonitorConfig> &monitor);

    EngineStats &stats() { return m_stats; }
    ResultRecorder &recorder() { return m_recorder; }
    AlertDelivery &delivery() { return m_delivery; }
    const CheckScope &scope() const { return m_scope; }
    // How many monitors this node holds and runs.
    std::size_t monitorsHeld() const;
    bool held(const std::string &monitorId) const;
    // Renews, claims and releases leases now (tests; the lease thread does
    // it every renewal period and after each reading of the inventory).
    void leaseRound();

private:
    struct Due
    {
        std::chrono::steady_clock::time_point at;
        std::string id;
        std::uint64_t generation; // stale once the monitor was dropped or scheduled anew
        bool operator>(const Due &other) const { return at > other.at; }
    };

    void reload();
    void take(const MonitorLeases::Runs &taken);
    void drop(const std::vector<std::string> &lost);
    void releaseExtra(std::size_t count);
    MonitorLeases::Runs pendingRuns(const std::vector<std::string> *only = nullptr);
    void runsStored(const MonitorLeases::Runs &runs);
    bool stopThreads(); // false when already stopped
    void schedulerLoop();
    void housekeepingLoop();
    void leaseLoop();
    void runScheduled(std::shared_ptr<const MonitorConfig> monitor, std::chrono::steady_clock::time_point due);
    std::shared_ptr<const InventorySnapshot> snapshot() const;

    ServerState &m_server;
    EngineOptions m_options;
    CheckScope m_scope;
    EngineStats m_stats;
    AlertDelivery m_delivery;
    ResultRecorder m_recorder;
    std::unique_ptr<WorkerPool> m_pool;

    mutable std::mutex m_snapshotLock;
    std::shared_ptr<const InventorySnapshot> m_snapshot;
    std::atomic<std::uint64_t> m_loadedChanges{0};
    std::atomic<std::int64_t> m_loadedStamp{0}; // the inventory stamp other nodes write
    std::mutex m_reloadLock;
    std::mutex m_leaseLock; // one call of m_leases at a time
    std::unique_ptr<MonitorLeases> m_leases;
    bool m_firstTake = true;

    mutable std::mutex m_scheduleLock;
    std::condition_variable m_scheduleWake;
    std::priority_queue<Due, std::vector<Due>, std::greater<Due>> m_due;
    std::unordered_map<std::string, std::uint64_t> m_scheduled; // monitor -> generation of its entry in m_due
    std::uint64_t m_generation = 0;
    std::unordered_set<std::string> m_held;
    std::unordered_map<std::string, int> m_inFlight;         // checks handed to the pool and not yet queued
    std::unordered_map<std::string, std::int64_t> m_lastRuns; // due times (ms since the epoch) not yet stored
    std::unordered_map<std::string, std::chrono::steady_clock::time_point> m_nextDue;
    std::atomic<bool> m_stopping{false};
    std::thread m_scheduler;
    std::thread m_housekeeper;
    std::thread m_leaser;
    bool m_roundWanted = false; // a lease round before the next renewal (guarded by m_scheduleLock)
    std::atomic<int> m_running{0}; // checks in progress
};
