// Request throughput and large-tree latency of keelmon-server on loopback,
// each beside the bare lower bound measured in the same run.
#include <benchmark/benchmark.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "orb/wire/mtxtree.h"
#include "services/types/elementobj.h"
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

} // namespace

BENCHMARK_MAIN();
