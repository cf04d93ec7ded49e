#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

class Storage;

// Keeps monitor history for a number of days: removes older rows when it
// starts and then every period on a thread of its own (on PostgreSQL whole
// days go at once).
class HistoryRetention
{
public:
    HistoryRetention(Storage &storage, int days, std::chrono::milliseconds period = std::chrono::hours(1));
    ~HistoryRetention();
    HistoryRetention(const HistoryRetention &) = delete;
    HistoryRetention &operator=(const HistoryRetention &) = delete;

    // Removes what is too old now, then keeps doing so every period.
    // Throws StorageError when the first removal fails.
    void start();
    void stop();

    // Removes the rows older than the kept days before now (seconds since
    // the epoch); returns the time before which rows were removed.
    std::int64_t runOnce(std::int64_t now);
    // The start of the UTC day `days` days before now: at least `days`
    // whole days of history stay.
    static std::int64_t cutoff(std::int64_t now, int days);

private:
    void run();

    Storage &m_storage;
    int m_days;
    std::chrono::milliseconds m_period;
    std::mutex m_lock;
    std::condition_variable m_wake;
    bool m_stopping = false;
    std::thread m_thread;
};
