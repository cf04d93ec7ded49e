#pragma once

#include <cstdint>
#include <ctime>
#include <string>

// A monitoring or alerting control of an element: a mode ("0" always, "1"
// only between start and end, "2" never, "3" not between) and two local
// times "%d-%d-%d %d:%d:%d". A missing or unreadable time leaves that side
// of the window open; an unknown mode counts as always.
class ControlWindow
{
public:
    ControlWindow() = default;
    ControlWindow(const std::string &mode, const std::string &start, const std::string &end);

    // Whether the control allows running (or alerting) at now; the window
    // includes its start and excludes its end.
    bool allows(std::time_t now) const;

    // A local "%d-%d-%d %d:%d:%d" time as seconds since the epoch; false when unreadable.
    static bool parseTime(const std::string &text, std::time_t &time);

private:
    int m_mode = 0;
    std::int64_t m_start = INT64_MIN;
    std::int64_t m_end = INT64_MAX;
};
