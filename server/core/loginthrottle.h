#pragma once

#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>
#include <unordered_map>

// Slows password guessing: after a few failed logins from one address for
// one user (or many from one address for any user) further attempts are
// refused for a while, growing with each failure. Past the free failures a
// burst writes an operation-log row a minute with its count rather than one
// per attempt.
// A refusal is given at once: a worker that slept on a caller would let a
// few guessers stall every other client.
class LoginThrottle
{
public:
    using Clock = std::chrono::steady_clock;

    struct Limits
    {
        int freeFailures = 5;         // for one user from one address
        int freeAddressFailures = 20; // for any users from one address
        std::chrono::seconds firstWait{1};
        std::chrono::seconds longestWait{60};
        // Failures further apart than this start a new burst.
        std::chrono::seconds burstGap{60};
        // A burst that goes on writes a row this often.
        std::chrono::seconds rowEvery{60};
    };

    LoginThrottle() : LoginThrottle(Limits{}) {}
    explicit LoginThrottle(Limits limits) : m_limits(limits) {}

    // How long address must still wait before it may try user; zero when it
    // may try now.
    std::chrono::seconds wait(const std::string &address, const std::string &user, Clock::time_point now);
    // Notes a failed login. True when an operation-log row is due; count is
    // then the failures that row stands for.
    bool failed(const std::string &address, const std::string &user, Clock::time_point now, std::size_t &count);
    // A successful login ends the user's burst from that address.
    void succeeded(const std::string &address, const std::string &user);

private:
    struct Record
    {
        int failures = 0; // in the current burst
        Clock::time_point lastFailure;
        Clock::time_point lockedUntil;
        Clock::time_point lastRow;
        std::size_t sinceRow = 0;
    };

    void note(Record &record, int freeFailures, Clock::time_point now);
    void prune(Clock::time_point now);

    const Limits m_limits;
    std::mutex m_lock;
    std::unordered_map<std::string, Record> m_users;     // address + '\n' + user
    std::unordered_map<std::string, Record> m_addresses; // address
};
