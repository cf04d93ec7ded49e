#include "server/core/logthrottle.h"

namespace {

// Distinct texts remembered at most; past it the memory starts afresh.
constexpr std::size_t MaxTexts = 1024;

} // namespace

LogThrottle::LogThrottle(std::size_t perWindow, Clock::duration window) : m_perWindow(perWindow), m_window(window) {}

bool LogThrottle::admit(std::string_view text, Clock::time_point now, std::size_t &suppressed)
{
    suppressed = 0;
    auto found = m_seen.find(std::string(text));
    if (found == m_seen.end()) {
        if (m_seen.size() >= MaxTexts)
            m_seen.clear();
        found = m_seen.emplace(std::string(text), Seen{now}).first;
    }
    Seen &seen = found->second;
    if (now - seen.windowStart >= m_window) {
        seen.windowStart = now;
        seen.passed = 0;
    }
    if (seen.passed >= m_perWindow) {
        ++seen.held;
        return false;
    }
    ++seen.passed;
    suppressed = seen.held;
    seen.held = 0;
    return true;
}
