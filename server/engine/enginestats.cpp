#include "server/engine/enginestats.h"

void EngineStats::recordLateness(std::chrono::microseconds lateness)
{
    auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(lateness).count();
    if (millis >= 1000)
        ++lateChecks;
    std::size_t bucket = 0;
    for (long long bound = 1; bucket + 1 < Buckets && millis >= bound; bound *= 2)
        ++bucket;
    ++m_lateness[bucket];
}

std::chrono::milliseconds EngineStats::latenessQuantile(double share) const
{
    std::uint64_t total = 0;
    for (const auto &count : m_lateness)
        total += count;
    if (total == 0)
        return std::chrono::milliseconds(0);
    std::uint64_t seen = 0;
    long long bound = 1;
    for (std::size_t bucket = 0; bucket < Buckets; ++bucket, bound *= 2) {
        seen += m_lateness[bucket];
        if (double(seen) >= share * double(total))
            return std::chrono::milliseconds(bucket == 0 ? 1 : bound);
    }
    return std::chrono::milliseconds(bound);
}

void EngineStats::resetLateness()
{
    for (auto &count : m_lateness)
        count = 0;
}
