#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

// Times as the wire carries them: "%d-%d-%d %d:%d:%d" in local time, numbers
// without leading zeros; dates "%d-%d-%d".
namespace timetext {

std::string format(std::time_t time);
std::string now();
// A "%d-%d-%d %d:%d:%d" local time; false for text that is no such time.
bool parse(std::string_view text, std::time_t &time);
// The first and last second of the day named by a "%d-%d-%d" date, as
// sortable times (sortableTime); false when the text is no valid date.
bool dayRange(std::string_view date, std::int64_t &first, std::int64_t &last);

} // namespace timetext
