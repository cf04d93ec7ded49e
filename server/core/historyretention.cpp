#include "server/core/historyretention.h"

#include <ctime>

#include "server/core/serverlog.h"
#include "server/storage/storage.h"

HistoryRetention::HistoryRetention(Storage &storage, int days, std::chrono::milliseconds period)
    : m_storage(storage), m_days(days), m_period(period)
{
}

HistoryRetention::~HistoryRetention()
{
    stop();
}

std::int64_t HistoryRetention::cutoff(std::int64_t now, int days)
{
    constexpr std::int64_t Day = 86400;
    const std::int64_t then = now - std::int64_t(days) * Day;
    return (then >= 0 ? then / Day : -((-then + Day - 1) / Day)) * Day;
}

std::int64_t HistoryRetention::runOnce(std::int64_t now)
{
    const std::int64_t before = cutoff(now, m_days);
    m_storage.dropHistoryBefore(before);
    return before;
}

void HistoryRetention::start()
{
    const std::int64_t before = runOnce(std::time(nullptr));
    serverlog::info("history kept for " + std::to_string(m_days) + " days: rows before "
                    + std::to_string(before) + " (seconds since 1970, UTC) removed");
    m_stopping = false;
    m_thread = std::thread([this] { run(); });
}

void HistoryRetention::stop()
{
    {
        std::lock_guard hold(m_lock);
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void HistoryRetention::run()
{
    std::unique_lock hold(m_lock);
    while (!m_wake.wait_for(hold, m_period, [&] { return m_stopping; })) {
        hold.unlock();
        try {
            runOnce(std::time(nullptr));
        } catch (const std::exception &failure) {
            // Tried again next period; the server goes on meanwhile.
            serverlog::error(std::string("cannot remove old monitor history: ") + failure.what());
        }
        hold.lock();
    }
}
