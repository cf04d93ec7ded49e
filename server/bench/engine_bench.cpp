// The monitoring engine at scale: N TCP-connect monitors against loopback
// ports (half listening, half closed) at a 60-second period, with their
// conditions, state changes, history rows and roll-up stored. Reports the
// results per second, the lateness of the checks, the CPU used and the memory
// held. Also the round trip of a "DT" frame for a local check.
//
//   keelmon_engine_bench [--benchmark_filter=...]
//   KEEL_ENGINE_BENCH_SECONDS: length of the measured window (default 60)
// BM_TwoNodesSteadyState does the same with two nodes sharing a PostgreSQL
// database.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <thread>

#include "orb/textframe/textframe.h"
#include "server/core/handlers/inventory.h"
#include "server/core/schema.h"
#include "server/engine/monitoringserver.h"
#include "server/storage/storage.h"
#include "server/tests/engine/loopbackservers.h"
#include "server/tests/engine/testinventory.h"
#include "testsupport/loopback.h"
#include "testsupport/postgresinstance.h"
#include "testsupport/servertest.h"
#include "services/types/elementobj.h"
#include "services/types/expressionparamitemobj.h"
#include "services/types/monitorobj.h"
#include "services/types/paramobj.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Listening ports on 127.0.0.1 whose connections are accepted and closed by
// one epoll thread, so that their backlog never fills.
class Listeners
{
public:
    explicit Listeners(int count)
    {
        m_epoll = ::epoll_create1(0);
        for (int i = 0; i < count; ++i) {
            int port = 0;
            int fd = boundLoopback(SOCK_STREAM | SOCK_NONBLOCK, port);
            ::listen(fd, 4096);
            m_ports.push_back(port);
            m_fds.push_back(fd);
            epoll_event event{};
            event.events = EPOLLIN;
            event.data.fd = fd;
            ::epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &event);
        }
        m_thread = std::thread([this] {
            epoll_event events[64];
            while (!m_stop) {
                int count = ::epoll_wait(m_epoll, events, 64, 100);
                for (int i = 0; i < count; ++i)
                    for (int client; (client = ::accept4(events[i].data.fd, nullptr, nullptr, SOCK_NONBLOCK)) >= 0;)
                        ::close(client);
            }
        });
    }
    ~Listeners()
    {
        m_stop = true;
        m_thread.join();
        for (int fd : m_fds)
            ::close(fd);
        ::close(m_epoll);
    }
    const std::vector<int> &ports() const { return m_ports; }

private:
    int m_epoll;
    std::vector<int> m_fds;
    std::vector<int> m_ports;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// Ports nothing listens on.
std::vector<int> closedPorts(int count)
{
    std::vector<int> ports;
    for (int i = 0; i < count; ++i)
        ports.push_back(closedPort());
    return ports;
}

double cpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double residentMegabytes()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return double(resident) * double(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

void BM_EngineSteadyState(benchmark::State &state)
{
    const int monitors = int(state.range(0));
    const char *seconds = std::getenv("KEEL_ENGINE_BENCH_SECONDS");
    const auto window = std::chrono::seconds(seconds ? std::atoi(seconds) : 60);
    for (auto _ : state) {
        TempFolder dir;
        Listeners listeners(50);
        std::vector<int> closed = closedPorts(50);
        ServerOptions options = loopbackServerOptions(dir.file("bench.db"));
        EngineOptions engine = MonitoringServer::engineOptions(options);
        engine.defaultPeriod = 60s;
        engine.checkTimeout = 2000ms;
        MonitoringServer server(options, engine);
        server.app().start();
        fillPortMonitors(server.app().storage(), monitors, listeners.ports(), closed);
        server.app().stop();

        auto started = Clock::now();
        server.start();
        double startSeconds = std::chrono::duration<double>(Clock::now() - started).count();
        EngineStats &stats = server.engine().stats();
        std::this_thread::sleep_for(5s); // the first checks settle the states
        stats.resetLateness();
        std::uint64_t results = stats.resultsStored, batches = stats.batchesStored, late = stats.lateChecks;
        std::uint64_t changes = stats.stateChanges;
        double cpu = cpuSeconds();
        auto from = Clock::now();
        std::this_thread::sleep_for(window);
        double elapsed = std::chrono::duration<double>(Clock::now() - from).count();
        cpu = cpuSeconds() - cpu;
        results = stats.resultsStored - results;
        batches = stats.batchesStored - batches;
        state.counters["results_per_s"] = double(results) / elapsed;
        state.counters["rows_per_batch"] = batches ? double(results) / double(batches) : 0.0;
        state.counters["lateness_p99_ms"] = double(stats.latenessQuantile(0.99).count());
        state.counters["lateness_p50_ms"] = double(stats.latenessQuantile(0.50).count());
        state.counters["late_over_1s"] = double(stats.lateChecks - late);
        state.counters["cores"] = cpu / elapsed;
        state.counters["rss_mb"] = residentMegabytes();
        rusage usage{};
        ::getrusage(RUSAGE_SELF, &usage);
        state.counters["peak_rss_mb"] = double(usage.ru_maxrss) / 1024.0;
        state.counters["start_s"] = startSeconds;
        state.counters["state_changes"] = double(stats.stateChanges - changes);
        state.counters["history_rows"] = double(server.app().storage().selectHistory("m0", 0, INT64_MAX, 1000).size());
        server.stop();
    }
}
BENCHMARK(BM_EngineSteadyState)->Arg(10000)->Arg(100000)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// Two nodes sharing one PostgreSQL database (a private server on a Unix
// socket) divide N monitors at a 60-second period: the lateness of the checks
// on each node once each holds half, and during the handover before.
void BM_TwoNodesSteadyState(benchmark::State &state)
{
    const int monitors = int(state.range(0));
    const char *seconds = std::getenv("KEEL_ENGINE_BENCH_SECONDS");
    const auto window = std::chrono::seconds(seconds ? std::atoi(seconds) : 60);
    for (auto _ : state) {
        PostgresInstance postgres;
        const std::string database = postgres.createDatabase("bench");
        Listeners listeners(50);
        std::vector<int> closed = closedPorts(50);
        {
            MonitoringServer writer(loopbackServerOptions(database));
            writer.app().start();
            fillPortMonitors(writer.app().storage(), monitors, listeners.ports(), closed);
            writer.app().stop();
        }
        std::vector<std::unique_ptr<MonitoringServer>> nodes;
        auto started = Clock::now();
        for (const char *name : {"node-a", "node-b"}) {
            ServerOptions options = loopbackServerOptions(database);
            options.node = name;
            EngineOptions engine = MonitoringServer::engineOptions(options);
            engine.defaultPeriod = 60s;
            engine.checkTimeout = 2000ms;
            nodes.push_back(std::make_unique<MonitoringServer>(options, engine));
            nodes.back()->start();
        }
        auto balanced = [&] {
            return std::all_of(nodes.begin(), nodes.end(), [&](auto &node) {
                return node->engine().monitorsHeld() == std::size_t(monitors / 2);
            });
        };
        while (!balanced() && Clock::now() - started < 180s)
            std::this_thread::sleep_for(100ms);
        if (!balanced()) {
            state.SkipWithError("the nodes did not divide the monitors within 180 s");
            break;
        }
        state.counters["balance_s"] = std::chrono::duration<double>(Clock::now() - started).count();
        std::uint64_t results = 0, late = 0;
        double handover = 0;
        for (auto &node : nodes) {
            EngineStats &stats = node->engine().stats();
            handover = std::max(handover, double(stats.latenessQuantile(0.99).count()));
            stats.resetLateness();
            results += stats.resultsStored;
            late += stats.lateChecks;
        }
        auto from = Clock::now();
        std::this_thread::sleep_for(window);
        double elapsed = std::chrono::duration<double>(Clock::now() - from).count();
        double p99 = 0, p50 = 0;
        std::uint64_t resultsAfter = 0, lateAfter = 0;
        for (auto &node : nodes) {
            EngineStats &stats = node->engine().stats();
            p99 = std::max(p99, double(stats.latenessQuantile(0.99).count()));
            p50 = std::max(p50, double(stats.latenessQuantile(0.50).count()));
            resultsAfter += stats.resultsStored;
            lateAfter += stats.lateChecks;
        }
        results = resultsAfter - results;
        late = lateAfter - late;
        state.counters["lateness_p99_ms"] = p99;
        state.counters["lateness_p50_ms"] = p50;
        state.counters["handover_p99_ms"] = handover;
        state.counters["late_over_1s"] = double(late);
        state.counters["results_per_s"] = double(results) / elapsed;
        for (auto &node : nodes)
            node->stop();
    }
}
BENCHMARK(BM_TwoNodesSteadyState)->Arg(10000)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// One "DT" frame for a port monitor on this machine, from the connection to
// the committed result and the reply; the bare TCP connect beside it.
void BM_ProbeTestFrame(benchmark::State &state)
{
    TempFolder dir;
    Listeners listeners(1);
    ServerOptions options = loopbackServerOptions(dir.file("bench.db"));
    EngineOptions engine = MonitoringServer::engineOptions(options);
    engine.schedule = false;
    MonitoringServer server(options, engine);
    server.app().start();
    fillPortMonitors(server.app().storage(), 1, listeners.ports(), listeners.ports());
    server.app().stop();
    server.start();
    std::string device = server.app().storage().select(schema::monitors, Filter::all()).front()->get(MonitorObj::ParentId);
    std::string frame = *textframe::build("DT", {"seid", device, "m0", "5", "lib", "func"});
    for (auto _ : state) {
        std::string reply = exchangeOnLoopback(server.probePort(), frame, 5000);
        if (reply != "<return>succeed</end>")
            state.SkipWithError(("unexpected reply: " + reply).c_str());
    }
    server.stop();
}
BENCHMARK(BM_ProbeTestFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
