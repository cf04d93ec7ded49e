#include "server/core/timetext.h"

#include <cstdio>

#include "server/storage/tabledefinition.h"

namespace timetext {

std::string format(std::time_t time)
{
    std::tm local {};
    localtime_r(&time, &local);
    char text[64];
    std::snprintf(text, sizeof text, "%d-%d-%d %d:%d:%d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                  local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

std::string now()
{
    return format(std::time(nullptr));
}

bool parse(std::string_view text, std::time_t &time)
{
    const std::string copy(text);
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, used = 0;
    if (std::sscanf(copy.c_str(), "%d-%d-%d %d:%d:%d%n", &year, &month, &day, &hour, &minute, &second, &used) != 6
        || std::size_t(used) != copy.size())
        return false;
    if (year < 1900 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23
        || minute < 0 || minute > 59 || second < 0 || second > 60)
        return false;
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    time = std::mktime(&local);
    return time != std::time_t(-1);
}

bool dayRange(std::string_view date, std::int64_t &first, std::int64_t &last)
{
    std::int64_t day = sortableTime(date);
    if (day < 0 || day % 1000000 != 0 || date.find(' ') != std::string_view::npos)
        return false;
    first = day;
    last = day + 235959;
    return true;
}

} // namespace timetext
