#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "server/core/schema.h"
#include "server/core/setup/bootstrap.h"
#include "server/storage/storage.h"
#include "services/types/monitorobj.h"

// About a day of check results for the demo monitors, so a report has
// something to show before the monitoring engine has run for long.
namespace setup {

namespace {

constexpr int StepSeconds = 300;
constexpr int Steps = 24 * 3600 / StepSeconds;

// One return value: its name and the band it moves in over the day; a text
// value (no band) reads normalText, or errorText in an error state.
struct Shape
{
    const char *name;
    double low;
    double high;
    const char *normalText = nullptr;
    const char *errorText = nullptr;
};

// A kind's return values in library order, and the value that decides the
// state: above (or below) warning gives 1, past error gives 2.
struct KindHistory
{
    const char *kind;
    std::vector<Shape> values;
    int decisive;
    bool above;
    double warning;
    double error;
};

const KindHistory histories[] = {
    {"1", {{"PacketLoss", 0, 24}, {"RoundTripTime", 1, 12}}, 0, true, 20, 99.5},
    {"2", {{"CpuUsage", 20, 96}}, 0, true, 75, 90},
    {"3", {{"MemoryUsage", 55, 90}}, 0, true, 85, 95},
    {"4", {{"FreePercent", 2, 30}}, 0, false, 15, 5},
    {"5", {{"Status", 0, 0, "open", "closed"}, {"ResponseTime", 20, 1400}}, 1, true, 1000, 1e12},
    {"6", {{"ProcessCount", 1, 4}}, 0, false, 0.5, 0.5},
    {"7", {{"InOctets", 3e8, 9.5e8}, {"OutOctets", 1e8, 4e8}}, 0, true, 6e8, 9e8},
    {"8", {{"StatusCode", 0, 0, "200", "503"}, {"ResponseTime", 5, 400}}, 1, true, 300, 1e12},
};

const KindHistory *historyOf(const std::string &kind)
{
    for (const KindHistory &history : histories)
        if (kind == history.kind)
            return &history;
    return nullptr;
}

} // namespace

std::size_t addDemoHistory(Storage &storage, std::int64_t now)
{
    const auto monitors = storage.select(schema::monitors, Filter::all());
    std::vector<HistoryRow> rows;
    unsigned seed = 1;
    for (const auto &monitor : monitors) {
        const KindHistory *history = historyOf(monitor->get(MonitorObj::MonitorType));
        if (!history)
            continue;
        std::mt19937 random(seed++);
        std::normal_distribution<double> noise(0.0, 0.08);
        const double phase = std::uniform_real_distribution<double>(0, 6.28)(random);
        for (int step = 0; step < Steps; ++step) {
            HistoryRow row;
            row.monitorId = monitor->get(MonitorObj::Id);
            row.monitorType = history->kind;
            row.time = now - std::int64_t(Steps - step) * StepSeconds;
            // A daily swing with noise, inside each value's band.
            const double level = 0.5 + 0.4 * std::sin(phase + 6.28 * step / Steps) + noise(random);
            double decisive = 0;
            for (std::size_t i = 0; i < history->values.size(); ++i) {
                const Shape &shape = history->values[i];
                // Whole numbers, as the checks report them; the state follows the value shown.
                const double value = double(std::llround(shape.low + (shape.high - shape.low) * std::clamp(level, 0.0, 1.0)));
                if (int(i) == history->decisive)
                    decisive = value;
                row.values.push_back(shape.high > shape.low ? std::to_string(std::llround(value)) : std::string());
            }
            const bool pastError = history->above ? decisive > history->error : decisive < history->error;
            const bool pastWarning = history->above ? decisive > history->warning : decisive < history->warning;
            row.state = pastError ? 2 : pastWarning ? 1 : 0;
            for (std::size_t i = 0; i < history->values.size(); ++i) {
                const Shape &shape = history->values[i];
                if (shape.normalText)
                    row.values[i] = row.state == 2 ? shape.errorText : shape.normalText;
                row.remark += (i ? " " : "") + std::string(history->values[i].name) + "=" + row.values[i];
            }
            rows.push_back(std::move(row));
        }
    }
    storage.appendHistory(rows);
    return rows.size();
}

} // namespace setup
