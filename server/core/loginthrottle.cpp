#include "server/core/loginthrottle.h"

#include <algorithm>

namespace {

// Addresses and users remembered at most; past it quiet ones are forgotten.
constexpr std::size_t MaxRecords = 10000;

std::string userKey(const std::string &address, const std::string &user)
{
    return address + '\n' + user;
}

} // namespace

std::chrono::seconds LoginThrottle::wait(const std::string &address, const std::string &user, Clock::time_point now)
{
    std::lock_guard hold(m_lock);
    Clock::time_point until{};
    if (auto found = m_users.find(userKey(address, user)); found != m_users.end())
        until = found->second.lockedUntil;
    if (auto found = m_addresses.find(address); found != m_addresses.end())
        until = std::max(until, found->second.lockedUntil);
    if (until <= now)
        return std::chrono::seconds(0);
    return std::chrono::ceil<std::chrono::seconds>(until - now);
}

bool LoginThrottle::failed(const std::string &address, const std::string &user, Clock::time_point now,
                           std::size_t &count)
{
    std::lock_guard hold(m_lock);
    if (m_users.size() >= MaxRecords || m_addresses.size() >= MaxRecords)
        prune(now);
    note(m_addresses[address], m_limits.freeAddressFailures, now);
    Record &record = m_users[userKey(address, user)];
    note(record, m_limits.freeFailures, now);
    ++record.sinceRow;
    // The free failures are each logged; past them, a row a while.
    if (record.failures > m_limits.freeFailures && now - record.lastRow < m_limits.rowEvery)
        return false;
    count = record.sinceRow;
    record.sinceRow = 0;
    record.lastRow = now;
    return true;
}

void LoginThrottle::succeeded(const std::string &address, const std::string &user)
{
    std::lock_guard hold(m_lock);
    m_users.erase(userKey(address, user));
}

void LoginThrottle::note(Record &record, int freeFailures, Clock::time_point now)
{
    if (record.failures > 0 && now - record.lastFailure > m_limits.burstGap)
        record.failures = 0;
    ++record.failures;
    record.lastFailure = now;
    const int over = record.failures - freeFailures;
    if (over <= 0)
        return;
    // The wait doubles with each failure past the free ones.
    auto wait = m_limits.firstWait * (std::int64_t(1) << std::min(over - 1, 16));
    record.lockedUntil = now + std::min<std::chrono::seconds>(wait, m_limits.longestWait);
}

void LoginThrottle::prune(Clock::time_point now)
{
    const auto quiet = std::max<Clock::duration>(m_limits.burstGap, m_limits.longestWait);
    for (auto *records : {&m_users, &m_addresses}) {
        std::erase_if(*records, [&](const auto &entry) { return now - entry.second.lastFailure > quiet; });
        if (records->size() >= MaxRecords)
            records->clear(); // a flood of addresses: start afresh rather than grow
    }
}
