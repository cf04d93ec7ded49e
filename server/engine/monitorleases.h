#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// Which monitors this node runs. One node alone holds every monitor; nodes
// sharing a PostgreSQL database divide them through leases in the database.
// Called from one thread (the engine's housekeeping), apart from valid().
class MonitorLeases
{
public:
    // A monitor's id and the due time of its last run anywhere, in
    // milliseconds since the epoch (0: never ran).
    using Run = std::pair<std::string, std::int64_t>;
    using Runs = std::vector<Run>;

    struct Round
    {
        Runs taken;                     // monitors this node holds from now on, with their last run
        std::vector<std::string> lost;  // monitors it no longer holds
        std::size_t extra = 0;          // how many it holds beyond its fair share
    };

    struct Options
    {
        std::string database; // libpq connection string; empty: this node alone
        std::string node;
        std::chrono::milliseconds leaseTime{30000};
    };

    virtual ~MonitorLeases();

    // The single-node form, or the shared one when options name a database
    // (throws std::runtime_error saying what to check when it cannot start).
    static std::unique_ptr<MonitorLeases> create(const Options &options);

    // Whether other nodes may hold some of the monitors.
    virtual bool shared() const = 0;
    // How often round() should run.
    virtual std::chrono::milliseconds renewEvery() const = 0;
    // The monitors of the inventory just read.
    virtual void setMonitors(std::vector<std::string> ids) = 0;
    // Renews the leases held (storing the last runs given), claims free or
    // expired ones up to the fair share. Throws on a database failure.
    virtual Round round(const Runs &runs) = 0;
    // Gives up monitors, storing their last runs, so that another node takes them.
    virtual void release(const std::vector<std::string> &ids, const Runs &runs) = 0;
    // Gives up every monitor and leaves (a clean stop).
    virtual void leave(const Runs &runs) = 0;
    // False once the leases were not renewed in time: another node may run
    // the monitors, so this one must not.
    virtual bool valid() const = 0;
};
