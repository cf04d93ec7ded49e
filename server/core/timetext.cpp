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
