// Request throughput and large-tree latency of keelmon-server on loopback,
// each beside the bare lower bound measured in the same run.
#include <benchmark/benchmark.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "orb/wire/mtxarray.h"
#include "orb/wire/mtxtree.h"
#include "services/types/elementobj.h"
#include "services/types/tablefactory.h"
#include "testsupport/benchinventory.h"
#include "testsupport/benchserver.h"
#include "testsupport/loopback.h"
#include "testsupport/testclient.h"

namespace {

// The device every select asks for.
const std::string SampleId = BenchElementId(7, 3);

// One server for the whole run, filled with the 10,000-element inventory.
BenchServer &site()
{
    static BenchServer instance;
    return instance;
}

std::unique_ptr<TestClient> loggedIn()
{
    auto client = std::make_unique<TestClient>(site().port(), 0);
    client->login("admin", ReferenceServer::AdminPassword);
    return client;
}

void BM_SelectElementObj(benchmark::State &state)
{
    auto client = loggedIn();
    for (auto _ : state) {
        ElementObj element;
        MtxStatus status = client->callText("ElementService", "selectElementObj", {SampleId}, &element);
        if (!status.succeeded()) {
            state.SkipWithError(messageOf(status).c_str());
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SelectElementObj)->Threads(4)->UseRealTime()->MinTime(2.0);

// The lower bound: a server that answers a fixed reply of the same size on
// its own connection per request, with no parsing and no storage.
struct BareServer
{
    int listenFd = -1;
    int port = 0;
    std::atomic<bool> stopping{false};
    std::vector<std::thread> threads;
    std::string reply;

    BareServer()
    {
        ElementObj element;
        element.set(ElementObj::ID, SampleId);
        reply = "<pro-rep><service-name>ElementService</service-name><method-name>selectElementObj</method-name><response>";
        element.toXML(reply, "ElementObj", 1);
        reply += "</response></pro-rep>";
        listenFd = bindLoopback(SOCK_STREAM, port);
        ::listen(listenFd, 512);
        for (int i = 0; i < 4; ++i)
            threads.emplace_back([this] { serve(); });
    }
    ~BareServer()
    {
        stopping = true;
        ::shutdown(listenFd, SHUT_RDWR);
        for (auto &thread : threads)
            thread.join();
        ::close(listenFd);
    }
    void serve()
    {
        while (!stopping) {
            int fd = ::accept(listenFd, nullptr, nullptr);
            if (fd < 0)
                return;
            char buffer[4096];
            std::string got;
            ssize_t n;
            while (got.find("</pro-req>") == std::string::npos && (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0)
                got.append(buffer, std::size_t(n));
            ::send(fd, reply.data(), reply.size(), MSG_NOSIGNAL);
            ::close(fd);
        }
    }
};

void BM_BareLoopbackExchange(benchmark::State &state)
{
    static BareServer bare;
    const std::string request = "Orb.MtxRequest\r\n<pro-req><service-name>ElementService</service-name><method-name>"
                                "selectElementObj</method-name><trans-iD>0</trans-iD><session-iD>admin</session-iD>"
                                "<args xsi-type=\"com.Velmora.Orb.MtxRequest\"><value xsi-type=\"Orb.MtxString\">"
                                + SampleId + "</value></args></pro-req>\r\n\r\n\r\n";
    for (auto _ : state) {
        std::string reply = exchangeOnLoopback(bare.port, request);
        if (reply.size() != bare.reply.size()) {
            state.SkipWithError("short reply from the bare server");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BareLoopbackExchange)->Threads(4)->UseRealTime()->MinTime(2.0);

void BM_FindElementTree10k(benchmark::State &state)
{
    auto client = loggedIn();
    std::size_t nodes = 0;
    for (auto _ : state) {
        MtxTree tree(std::make_unique<ElementObj>());
        MtxStatus status = client->callText("ElementService", "findElementTree", {"-1"}, &tree);
        if (!status.succeeded()) {
            state.SkipWithError(messageOf(status).c_str());
            break;
        }
        auto count = [](auto &self, const MtxTree &node) -> std::size_t {
            std::size_t total = 1;
            for (std::size_t i = 0; i < node.childCount(); ++i)
                total += self(self, *node.child(i));
            return total;
        };
        nodes = count(count, tree);
    }
    state.counters["elements"] = double(nodes);
}
BENCHMARK(BM_FindElementTree10k)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);


// Many clients at once, 60% reads (one element, or the monitors of one device)
// and 40% changes of an element, each change committed with a full sync.
// Every client works for a fixed time; the counters give the requests per
// second of all of them and the 99th percentile of the reads' latency.
void BM_MixedLoad(benchmark::State &state)
{
    using Clock = std::chrono::steady_clock;
    constexpr auto Duration = std::chrono::seconds(4);
    const int clients = int(state.range(0));
    for (auto _ : state) {
        std::atomic<int> ready{0};
        std::atomic<bool> go{false};
        std::atomic<long> requests{0};
        std::atomic<long> failures{0};
        std::mutex collected;
        std::vector<double> readMs;
        std::vector<std::thread> threads;
        for (int c = 0; c < clients; ++c) {
            threads.emplace_back([&, c] {
                auto client = loggedIn();
                // Each client changes its own device and reads those of others.
                const std::string own
                    = BenchElementId(c % BenchServer::Groups, c / BenchServer::Groups % BenchServer::DevicesPerGroup);
                ElementObj element;
                MtxStatus status = client->callText("ElementService", "selectElementObj", {own}, &element);
                std::vector<double> latencies;
                long done = 0;
                ++ready;
                while (!go)
                    std::this_thread::yield();
                const auto end = Clock::now() + Duration;
                for (unsigned step = unsigned(c); status.succeeded() && Clock::now() < end; ++step) {
                    const int kind = int(step % 10);
                    const auto started = Clock::now();
                    if (kind < 4) {
                        element.set(ElementObj::Text, "element " + own + " " + std::to_string(step));
                        status = client->call("ElementService", "updateElement", {&element});
                    } else {
                        const std::string other = BenchElementId(int(step * 7 % BenchServer::Groups),
                                                                 int(step * 3 % BenchServer::DevicesPerGroup));
                        if (kind < 8) {
                            ElementObj read;
                            status = client->callText("ElementService", "selectElementObj", {other}, &read);
                        } else {
                            MtxArray monitors;
                            monitors.setFactory(&domainFactory());
                            status = client->callText("ElementService", "findElementArray", {other}, &monitors);
                        }
                        latencies.push_back(
                            std::chrono::duration<double, std::milli>(Clock::now() - started).count());
                    }
                    ++done;
                }
                if (!status.succeeded())
                    ++failures;
                requests += done;
                std::lock_guard hold(collected);
                readMs.insert(readMs.end(), latencies.begin(), latencies.end());
            });
        }
        while (ready < clients)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        go = true;
        for (std::thread &thread : threads)
            thread.join();
        if (failures) {
            state.SkipWithError("a request of the mixed load failed");
            break;
        }
        std::sort(readMs.begin(), readMs.end());
        const double seconds = std::chrono::duration<double>(Duration).count();
        state.counters["req_per_s"] = double(requests) / seconds;
        state.counters["read_p50_ms"] = readMs.empty() ? 0 : readMs[readMs.size() / 2];
        state.counters["read_p99_ms"] = readMs.empty() ? 0 : readMs[readMs.size() * 99 / 100];
    }
}
BENCHMARK(BM_MixedLoad)->Arg(8)->Arg(32)->Arg(128)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
