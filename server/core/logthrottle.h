#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

// Keeps a line that repeats from flooding the log: within each window the
// same text passes a few times, the rest is counted and reported with the
// next line of that text that passes.
class LogThrottle
{
public:
    using Clock = std::chrono::steady_clock;

    LogThrottle(std::size_t perWindow = 5, Clock::duration window = std::chrono::seconds(10));

    // Whether text is written now; suppressed is how many of its lines were
    // held back since it last passed.
    bool admit(std::string_view text, Clock::time_point now, std::size_t &suppressed);

private:
    struct Seen
    {
        Clock::time_point windowStart;
        std::size_t passed = 0;
        std::size_t held = 0;
    };

    std::size_t m_perWindow;
    Clock::duration m_window;
    std::unordered_map<std::string, Seen> m_seen;
};
