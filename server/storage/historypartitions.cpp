#include "server/storage/historypartitions.h"

#include <charconv>
#include <ctime>
#include <vector>

std::int64_t HistoryPartitions::dayOf(std::int64_t time)
{
    return time >= 0 ? time / DaySeconds : -((-time + DaySeconds - 1) / DaySeconds);
}

std::string HistoryPartitions::nameOf(std::int64_t day)
{
    const std::time_t start = std::time_t(day * DaySeconds);
    std::tm utc {};
    gmtime_r(&start, &utc);
    char name[40];
    std::snprintf(name, sizeof name, "keel_history_%04d%02d%02d", utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday);
    return name;
}

std::optional<std::int64_t> HistoryPartitions::dayOfName(std::string_view name)
{
    constexpr std::string_view Prefix = "keel_history_";
    if (!name.starts_with(Prefix) || name.size() != Prefix.size() + 8)
        return std::nullopt;
    int date = 0;
    const char *digits = name.data() + Prefix.size();
    auto [end, ec] = std::from_chars(digits, name.data() + name.size(), date);
    if (ec != std::errc() || end != name.data() + name.size())
        return std::nullopt;
    std::tm utc {};
    utc.tm_year = date / 10000 - 1900;
    utc.tm_mon = date / 100 % 100 - 1;
    utc.tm_mday = date % 100;
    return dayOf(std::int64_t(timegm(&utc)));
}

void HistoryPartitions::load(const Run &run)
{
    PgResult result = run("SELECT c.relname FROM pg_inherits i JOIN pg_class c ON c.oid = i.inhrelid "
                          "WHERE i.inhparent = 'keel_history'::regclass");
    std::set<std::int64_t> days;
    for (int row = 0; row < result.rows(); ++row)
        if (auto day = dayOfName(result.value(row, 0)))
            days.insert(*day);
    std::lock_guard hold(m_lock);
    m_days = std::move(days);
}

bool HistoryPartitions::ensure(const std::set<std::int64_t> &days, const Run &run)
{
    std::vector<std::int64_t> missing;
    {
        std::lock_guard hold(m_lock);
        for (std::int64_t day : days)
            if (!m_days.count(day))
                for (std::int64_t next = day; next <= day + DaysAhead; ++next)
                    if (!m_days.count(next))
                        missing.push_back(next);
    }
    for (std::int64_t day : missing)
        run("CREATE TABLE IF NOT EXISTS " + nameOf(day) + " PARTITION OF keel_history FOR VALUES FROM ("
            + std::to_string(day * DaySeconds) + ") TO (" + std::to_string((day + 1) * DaySeconds) + ")");
    std::lock_guard hold(m_lock);
    m_days.insert(missing.begin(), missing.end());
    return !missing.empty();
}

void HistoryPartitions::dropBefore(std::int64_t time, const Run &run)
{
    // Read from the database rather than the cache: another server sharing
    // it may have made partitions this one never saw.
    load(run);
    std::vector<std::int64_t> old;
    {
        std::lock_guard hold(m_lock);
        for (std::int64_t day : m_days)
            if ((day + 1) * DaySeconds <= time)
                old.push_back(day);
    }
    // One statement for all: the catalogue is changed once.
    std::string names;
    for (std::int64_t day : old)
        names += (names.empty() ? "" : ", ") + nameOf(day);
    if (!names.empty())
        run("DROP TABLE IF EXISTS " + names);
    std::lock_guard hold(m_lock);
    for (std::int64_t day : old)
        m_days.erase(day);
}

void HistoryPartitions::forget()
{
    std::lock_guard hold(m_lock);
    m_days.clear();
}
