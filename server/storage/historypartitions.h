#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "server/pg/pgconnection.h"

// The partitions of PostgreSQL's history table: one per UTC day, named
// keel_history_YYYYMMDD, holding the rows with day start <= time < next day
// start. A partition is made for every day a row arrives for, together with
// the days ahead of it, so that no insert fails and the days to come are
// ready; removing old history drops whole partitions.
class HistoryPartitions
{
public:
    // Runs one statement in the caller's transaction; throws on failure.
    using Run = std::function<PgResult(const std::string &sql)>;

    static constexpr std::int64_t DaySeconds = 86400;
    static constexpr int DaysAhead = 7;

    static std::int64_t dayOf(std::int64_t time);
    static std::string nameOf(std::int64_t day);
    // The day of a partition's name; none for other tables.
    static std::optional<std::int64_t> dayOfName(std::string_view name);

    // Learns which partitions exist.
    void load(const Run &run);
    // Creates what is missing for the given days; true when it created any
    // (they are undone with a rolled-back transaction: forget() then).
    bool ensure(const std::set<std::int64_t> &days, const Run &run);
    // Drops the partitions that end at or before time.
    void dropBefore(std::int64_t time, const Run &run);
    // Forgets what exists, so that the next rows check again.
    void forget();

private:
    std::mutex m_lock;
    std::set<std::int64_t> m_days;
};
