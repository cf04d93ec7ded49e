// The inventory tree at scale: from the "findElementTree" request to the
// painted, expanded tree in ProbeDesk's window (keelmon-server on loopback), the model's
// own part, the memory the loaded tree adds, and expanding every node.
// Run with QT_QPA_PLATFORM=offscreen.

#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>

#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QProcess>
#include <QThread>

#include "modules/probe/leftview.h"
#include "modules/probe/tmonitorframe.h"
#include "modules/probe/tmonitordoc.h"
#include "orb/net/orbclient.h"
#include "orb/wire/mtxstring.h"
#include "orb/wire/mtxtree.h"
#include "server/core/appserver.h"
#include "services/types/elementobj.h"
#include "services/types/servicetables.h"
#include "services/types/tablefactory.h"
#include "testsupport/benchinventory.h"
#include "testsupport/loopback.h"
#include "testsupport/recordingapp.h"
#include "testsupport/tempfolder.h"

namespace {

constexpr int DevicesPerGroup = 200;
constexpr int MonitorsPerDevice = 4;

// "ElementService" with its wire types, as the service library makes it.
class ElementService : public OrbService
{
public:
    ElementService() : OrbService("ElementService"), m_factory(inventoryTypes()) {}
    std::unique_ptr<MtxObj> createObject(const char *typeName) override { return m_factory.createObject(typeName); }

private:
    TableFactory m_factory;
};

// A database filled with groups x 200 devices x 4 monitors, served by
// keelmon-server in a process of its own (so the memory measured here is the
// client's), and the "ElementService" of a logged-in client.
struct Site
{
    static constexpr int StartAttempts = 200;
    static constexpr int StartPauseMs = 50;

    TempFolder dir;
    QProcess server;
    int port = 0;
    std::unique_ptr<OrbClient> client;
    ElementService service;
    int elements = 1;

    explicit Site(int groups)
    {
        ServerOptions options;
        options.port = 0;
        options.discovery = false;
        options.database = dir.file("bench.db");
        options.adminPassword = "bench";
        options.logLevel = serverlog::Level::Error;
        {
            AppServer filler(options);
            filler.start();
            elements += FillBenchInventory(filler.storage(), groups, DevicesPerGroup, MonitorsPerDevice);
            filler.stop();
        }
        port = freeLoopbackPort();
        const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/keelmon-server");
        server.start(program, {QStringLiteral("--db"), QString::fromStdString(options.database), QStringLiteral("--port"),
                               QString::number(port), QStringLiteral("--no-discovery"), QStringLiteral("--listen"),
                               QStringLiteral("127.0.0.1"), QStringLiteral("--log-level"), QStringLiteral("error")});
        for (int attempt = 0; attempt < StartAttempts && !acceptsOnLoopback(port); ++attempt)
            QThread::msleep(StartPauseMs);
        client = std::make_unique<OrbClient>("127.0.0.1", port, 0);
        MtxUserSession session;
        session.setUserName("admin");
        MtxStatus status;
        client->login(status, "admin", "bench", "version", session);
        if (!status.succeeded())
            std::fprintf(stderr, "login refused: %s\n", status.getMessage());
        service.setSession(session);
        service.setClient(client.get());
    }
    ~Site()
    {
        client.reset();
        server.terminate();
        server.waitForFinished(5000);
    }

};

// 100 groups: 100,101 elements; 10 groups: 10,011.
Site &SiteOf(int groups)
{
    return BenchSiteOf<Site>(groups);
}

RecordingApp &App()
{
    static RecordingApp app;
    return app;
}

// CPU time of every thread of this process (the call runs on a worker).
double ProcessCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval &t) { return double(t.tv_sec) * 1000.0 + double(t.tv_usec) / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// CPU time of the server process so far.
double ServerCpuMs(qint64 pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    // Fields after the command name (which is in parentheses): utime is the 12th, stime the 13th.
    std::istringstream rest(line.substr(line.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int i = 1; i <= 13 && rest >> field; ++i)
        if (i >= 12)
            ticks += std::stod(field);
    return ticks * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

// ProbeDesk's window as the module opens it: showing it fetches the tree and
// expands it; one painted screen ends the load.
struct Window
{
    std::unique_ptr<CTMonitorFrame> frame;

    bool Load()
    {
        frame = std::make_unique<CTMonitorFrame>(new CTMonitorDoc);
        frame->resize(1000, 900);
        frame->show();
        frame->grab();
        return frame->Document()->Tree().rowCount() == 1;
    }
    CTMonitorDoc &Doc() { return *frame->Document(); }
};

void Prepare(int groups)
{
    Site &site = SiteOf(groups);
    App().RegisterService(QStringLiteral("ElementService"), &site.service);
}

// Where the held memory goes: the decoded reply, the model taking it, the
// view expanding every node and painting.
void BM_MemoryByStage(benchmark::State &state)
{
    Prepare(int(state.range(0)));
    Site &site = SiteOf(int(state.range(0)));
    const MtxString all("-1");
    for (auto _ : state) {
        auto doc = std::make_unique<CTMonitorDoc>();
        auto view = std::make_unique<CLeftView>(*doc);
        view->resize(400, 900);
        view->show();
        auto tree = std::make_unique<MtxTree>(std::make_unique<ElementObj>());
        tree->setFactory(&site.service);
        const double empty = ResidentMegabytes();
        site.service.invoke("findElementTree", {&all}, tree.get());
        const double decoded = ResidentMegabytes();
        doc->Tree().SetTree(std::move(tree));
        const double modelled = ResidentMegabytes();
        view->expandAll();
        view->grab();
        state.counters["decodedMB"] = decoded - empty;
        state.counters["modelMB"] = modelled - decoded;
        state.counters["viewMB"] = ResidentMegabytes() - modelled;
    }
}
BENCHMARK(BM_MemoryByStage)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// Request, reply, parse, model, view and one painted screen.
void BM_TreeEndToEnd(benchmark::State &state)
{
    Prepare(int(state.range(0)));
    double addedMegabytes = 0;
    double cpuMs = 0;
    double serverMs = 0;
    const qint64 serverPid = SiteOf(int(state.range(0))).server.processId();
    for (auto _ : state) {
        state.PauseTiming();
        const double before = ResidentMegabytes();
        auto window = std::make_unique<Window>();
        const double cpuBefore = ProcessCpuMs();
        const double serverBefore = ServerCpuMs(serverPid);
        state.ResumeTiming();
        if (!window->Load()) {
            state.SkipWithError("findElementTree failed");
            break;
        }
        state.PauseTiming();
        cpuMs += ProcessCpuMs() - cpuBefore;
        serverMs += ServerCpuMs(serverPid) - serverBefore;
        addedMegabytes = std::max(addedMegabytes, ResidentMegabytes() - before);
        state.counters["elements"] = double(window->Doc().Tree().ElementCount());
        window.reset();
        state.ResumeTiming();
    }
    state.counters["heldMB"] = addedMegabytes;
    const double iterations = double(std::max<std::int64_t>(1, state.iterations()));
    state.counters["clientCpuMs"] = cpuMs / iterations;
    state.counters["serverCpuMs"] = serverMs / iterations;
}
BENCHMARK(BM_TreeEndToEnd)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// The floor of the above: the call and the parse alone, no model, no view.
void BM_RequestAndParseOnly(benchmark::State &state)
{
    Prepare(int(state.range(0)));
    const MtxString all("-1");
    for (auto _ : state) {
        MtxTree tree(std::make_unique<ElementObj>());
        tree.setFactory(&SiteOf(int(state.range(0))).service);
        const MtxStatus status = SiteOf(int(state.range(0))).service.invoke("findElementTree", {&all}, &tree);
        if (!status.succeeded()) {
            state.SkipWithError(status.getMessage());
            break;
        }
    }
}
BENCHMARK(BM_RequestAndParseOnly)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// The model's part: a parsed tree handed to the model.
void BM_ModelSetTree(benchmark::State &state)
{
    Prepare(int(state.range(0)));
    const MtxString all("-1");
    MtxTree fetched(std::make_unique<ElementObj>());
    fetched.setFactory(&SiteOf(int(state.range(0))).service);
    SiteOf(int(state.range(0))).service.invoke("findElementTree", {&all}, &fetched);
    CElementTreeModel model;
    for (auto _ : state) {
        state.PauseTiming();
        auto copy = std::make_unique<MtxTree>(fetched);
        model.Clear(); // the previous tree's release is not the model's part
        state.ResumeTiming();
        model.SetTree(std::move(copy));
        benchmark::DoNotOptimize(model.rowCount());
    }
    state.counters["elements"] = double(model.ElementCount());
}
BENCHMARK(BM_ModelSetTree)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// Expanding every node of a loaded, collapsed tree, then painting.
void BM_ExpandAll(benchmark::State &state)
{
    Prepare(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        auto doc = std::make_unique<CTMonitorDoc>();
        auto view = std::make_unique<CLeftView>(*doc);
        view->resize(400, 900);
        view->show();
        doc->LoadTree();
        view->grab();
        state.ResumeTiming();
        view->expandAll();
        view->grab();
        state.PauseTiming();
        view.reset();
        doc.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ExpandAll)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    EnsureApplication();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
