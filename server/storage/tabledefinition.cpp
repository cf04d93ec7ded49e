#include "server/storage/tabledefinition.h"

#include <charconv>

Filter &Filter::equal(int field, std::string value)
{
    m_conditions.push_back({Condition::Equal, field, {std::move(value)}});
    return *this;
}

Filter &Filter::oneOf(int field, std::vector<std::string> values)
{
    m_conditions.push_back({Condition::OneOf, field, std::move(values)});
    return *this;
}

Filter &Filter::timeFrom(std::int64_t time)
{
    m_conditions.push_back({Condition::TimeFrom, -1, {}, time});
    return *this;
}

Filter &Filter::timeTo(std::int64_t time)
{
    m_conditions.push_back({Condition::TimeTo, -1, {}, time});
    return *this;
}

std::int64_t sortableTime(std::string_view text)
{
    // year-month-day[ hour:minute:second], numbers without required padding
    int parts[6] = {0, 0, 0, 0, 0, 0};
    const char separators[6] = {'-', '-', ' ', ':', ':', '\0'};
    const char *p = text.data();
    const char *end = p + text.size();
    int count = 0;
    while (count < 6) {
        while (p < end && *p == ' ')
            ++p;
        auto [next, ec] = std::from_chars(p, end, parts[count]);
        if (ec != std::errc() || next == p)
            return -1;
        p = next;
        ++count;
        if (p == end)
            break;
        if (*p != separators[count - 1])
            return -1;
        ++p;
    }
    if (p != end || (count != 3 && count != 6))
        return -1;
    const auto [y, mo, d, h, mi, s] = parts;
    if (y < 1 || y > 9999 || mo < 1 || mo > 12 || d < 1 || d > 31 || h < 0 || h > 23 || mi < 0 || mi > 59
        || s < 0 || s > 60)
        return -1;
    return ((((std::int64_t(y) * 100 + mo) * 100 + d) * 100 + h) * 100 + mi) * 100 + s;
}
