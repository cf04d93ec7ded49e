#pragma once

#include <string>
#include <string_view>

#include "server/storage/historyrow.h"

class ServerState;

// The requests of the data channel, on monitor history:
//   GetReport$ID$TYPE$FROM$TO$4$    the rows of monitor ID with FROM <= time <= TO
//   DeleteReport$ID$TYPE$FROM$TO$4$ removes them; answers "<return>succeed</end>"
// Times are "%d-%d-%d %d:%d:%d" in local time. A GetReport answer is one line
// per row, oldest first (layout in server/README.md), then "</end>".
// Failures answer "<error>" + reason + "</end>".
namespace historyreport {

// Rows answered at most; a longer range answers its oldest rows.
inline constexpr std::size_t MaxRows = 1000000;
inline constexpr std::string_view Succeeded = "<return>succeed</end>";

std::string answer(ServerState &server, std::string_view payload);
// One reply line of a row, CR LF included; "$", CR and LF are dropped from
// the remark and the values.
std::string line(const HistoryRow &row);
std::string error(std::string_view reasonUtf8);

} // namespace historyreport
