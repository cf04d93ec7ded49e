#include "server/engine/controlwindow.h"

#include <cstdio>

ControlWindow::ControlWindow(const std::string &mode, const std::string &start, const std::string &end)
{
    if (mode.size() == 1 && mode[0] >= '0' && mode[0] <= '3')
        m_mode = mode[0] - '0';
    std::time_t time = 0;
    if (parseTime(start, time))
        m_start = time;
    if (parseTime(end, time))
        m_end = time;
}

bool ControlWindow::parseTime(const std::string &text, std::time_t &time)
{
    std::tm parts{};
    int consumed = 0;
    if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d%n", &parts.tm_year, &parts.tm_mon, &parts.tm_mday,
                    &parts.tm_hour, &parts.tm_min, &parts.tm_sec, &consumed) != 6
        || std::size_t(consumed) != text.size() || parts.tm_mon < 1 || parts.tm_mon > 12 || parts.tm_mday < 1
        || parts.tm_mday > 31 || parts.tm_hour > 23 || parts.tm_min > 59 || parts.tm_sec > 60)
        return false;
    parts.tm_year -= 1900;
    parts.tm_mon -= 1;
    parts.tm_isdst = -1;
    time = std::mktime(&parts);
    return time != std::time_t(-1);
}

bool ControlWindow::allows(std::time_t now) const
{
    bool inside = now >= m_start && now < m_end;
    switch (m_mode) {
    case 1:
        return inside;
    case 2:
        return false;
    case 3:
        return !inside;
    default:
        return true;
    }
}
