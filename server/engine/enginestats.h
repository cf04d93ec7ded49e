#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>

// The engine's own figures, for /metrics and the benchmark.
class EngineStats
{
public:
    std::atomic<std::uint64_t> checksRun{0};
    std::atomic<std::uint64_t> checksFailed{0}; // checks that could not run (no values)
    std::atomic<std::uint64_t> lateChecks{0};   // started more than a second after they were due
    std::atomic<std::uint64_t> resultsStored{0};
    std::atomic<std::uint64_t> batchesStored{0};
    std::atomic<std::uint64_t> stateChanges{0};
    std::atomic<std::uint64_t> alertsSent{0};
    std::atomic<std::uint64_t> alertsFailed{0};
    std::atomic<std::uint64_t> monitors{0}; // in the inventory (the node runs those it holds)

    void recordLateness(std::chrono::microseconds lateness);
    // The lateness below which the given share (0..1) of checks started; an
    // upper bound from a histogram of doubling steps from 1 ms.
    std::chrono::milliseconds latenessQuantile(double share) const;
    void resetLateness();

private:
    static constexpr std::size_t Buckets = 20; // 1 ms .. 2^19 ms, the last one open
    std::array<std::atomic<std::uint64_t>, Buckets> m_lateness{};
};
