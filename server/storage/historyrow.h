#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One result of a monitor's check, as kept in the history the report
// program reads.
struct HistoryRow
{
    std::string monitorId;
    std::string monitorType; // the kind id, as text
    std::int64_t time = 0;   // seconds since the epoch
    int state = 0;           // 0 normal, 1 warning, 2 error
    std::string remark;      // the result text ("CpuUsage=82")
    std::vector<std::string> values; // one per return value of the kind, in the kind's order

    bool operator==(const HistoryRow &) const = default;
};
