#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <unordered_set>

#include "server/engine/monitorleases.h"

class PgConnection;

// Nodes sharing a PostgreSQL database divide the monitors through a lease
// table (monitor, node, lease expiry, last run) and a heartbeat table of the
// live nodes. Each round a node renews its leases and heartbeat, stores the
// last runs, and claims free or expired leases (FOR UPDATE SKIP LOCKED) up to
// its fair share; the engine releases extras when others join. Times of
// expiry are the database's, so the nodes' clocks do not matter for them.
class PgMonitorLeases : public MonitorLeases
{
public:
    explicit PgMonitorLeases(const Options &options);
    ~PgMonitorLeases() override;

    bool shared() const override { return true; }
    std::chrono::milliseconds renewEvery() const override { return m_options.leaseTime / 3; }
    void setMonitors(std::vector<std::string> ids) override;
    Round round(const Runs &runs) override;
    void release(const std::vector<std::string> &ids, const Runs &runs) override;
    void leave(const Runs &runs) override;
    bool valid() const override;

private:
    void createTables();
    void syncMonitors();
    void storeRuns(const Runs &runs);
    // Runs body in one transaction, reconnecting first when the server went away.
    template <class Body>
    void transaction(Body body);

    Options m_options;
    std::string m_leaseMs;
    std::string m_token; // tells this process from an earlier one of the same node name
    std::unique_ptr<PgConnection> m_connection;
    std::vector<std::string> m_monitors;
    bool m_monitorsSynced = false;
    std::unordered_set<std::string> m_held;
    std::atomic<std::int64_t> m_validUntil{0}; // steady clock, nanoseconds
};
