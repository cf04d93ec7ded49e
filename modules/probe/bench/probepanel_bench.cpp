// The monitor panel and the alert log at scale, without a server: a device
// with 200 monitors painted as tiles (every tile on screen), and an alert log
// of 10,000 entries put into its dialog and shown. Run with
// QT_QPA_PLATFORM=offscreen.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QListView>
#include <QTableView>

#include "frame/alertlog/alertlogdialog.h"
#include "frame/alertlog/alertlogsource.h"
#include "modules/probe/monitorlistmodel.h"
#include "modules/probe/monitortiledelegate.h"
#include "orb/wire/mtxarray.h"
#include "services/types/alertlogobj.h"
#include "services/types/elementobj.h"

namespace {

std::unique_ptr<MtxArray> Monitors(int count)
{
    auto monitors = std::make_unique<MtxArray>();
    for (int i = 0; i < count; ++i) {
        auto monitor = std::make_unique<ElementObj>();
        monitor->set(ElementObj::ID, "monitor-" + std::to_string(i));
        monitor->set(ElementObj::Text, "Ping " + std::to_string(i));
        monitor->set(ElementObj::Type, "5");
        monitor->set(ElementObj::Monitor_Type, "1");
        monitor->set(ElementObj::LastState, std::to_string(i % 4));
        monitor->set(ElementObj::LastMonitorTime, "2026-12-8 14:00:00");
        monitors->append(std::move(monitor));
    }
    return monitors;
}

// The tiles of 200 monitors in a view large enough to show all of them,
// painted once per iteration.
void BM_PanelPaint(benchmark::State &state)
{
    const int count = int(state.range(0));
    CMonitorListModel model;
    model.SetMonitors(Monitors(count));
    QListView view;
    view.setViewMode(QListView::IconMode);
    view.setResizeMode(QListView::Adjust);
    view.setUniformItemSizes(true);
    view.setModel(&model);
    view.setItemDelegate(new CMonitorTileDelegate(&view));
    const int perRow = 5;
    view.resize(perRow * (CMonitorTileDelegate::Width + 4) + 40,
                ((count + perRow - 1) / perRow) * (CMonitorTileDelegate::Height + 4) + 40);
    view.show();
    QApplication::processEvents();
    for (auto _ : state)
        benchmark::DoNotOptimize(view.grab());
    state.counters["tiles"] = count;
}
BENCHMARK(BM_PanelPaint)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime();

// A log source that hands out count made-up entries.
class MadeLog : public CAlertLogSource
{
public:
    explicit MadeLog(int count) : m_count(count) {}
    bool Fetch(MtxArray &entries) override
    {
        for (int i = 0; i < m_count; ++i) {
            auto entry = std::make_unique<AlertLogObj>();
            entry->set(AlertLogObj::AlertLogID, "log-" + std::to_string(i));
            entry->set(AlertLogObj::AlertDateTime, "2026-12-8 14:00:00");
            entry->set(AlertLogObj::RuleName, "rule");
            entry->set(AlertLogObj::Content, "Ping " + std::to_string(i) + " lost 4 of 4 packets");
            entries.append(std::move(entry));
        }
        return true;
    }
    bool Clear() override { return true; }

private:
    int m_count;
};

// From the fetched entries to the shown, painted dialog.
void BM_AlertLogShown(benchmark::State &state)
{
    MadeLog source(int(state.range(0)));
    for (auto _ : state) {
        CAlertLogDialog dialog(source);
        dialog.resize(900, 600);
        dialog.show();
        benchmark::DoNotOptimize(dialog.grab());
    }
}
BENCHMARK(BM_AlertLogShown)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
