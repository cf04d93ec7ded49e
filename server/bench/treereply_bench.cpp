// The two halves of a large "findElementTree" without the network between
// them: the server's dispatcher turning the request into the reply text, and
// the client decoding that text into an MtxTree of ElementObj nodes, beside
// the bare pugixml parse of the same text (the floor of the decode).
#include <benchmark/benchmark.h>

#include <memory>

#include "orb/net/mtxreply.h"
#include "orb/net/mtxrequest.h"
#include "orb/wire/mtxstatus.h"
#include "orb/wire/mtxstring.h"
#include "orb/wire/mtxtree.h"
#include "orb/wire/xmltext.h"
#include "server/core/appserver.h"
#include "server/core/dispatcher.h"
#include "services/types/elementobj.h"
#include "services/types/tablefactory.h"
#include "testsupport/benchinventory.h"
#include "testsupport/tempfolder.h"

namespace {

constexpr int DevicesPerGroup = 200;
constexpr int MonitorsPerDevice = 4;
constexpr const char *Peer = "127.0.0.1";

std::string requestText(const char *service, const char *method, std::vector<const MtxObj *> args,
                        const char *session)
{
    MtxRequest request(service, method, std::move(args));
    request.setSessionID(session);
    std::string text;
    request.write(text);
    return MtxRequest::frame(text);
}

// An in-process server filled with groups x 200 devices x 4 monitors, and a
// dispatcher of its own on which "admin" is logged in from Peer.
struct Site
{
    TempFolder dir;
    std::unique_ptr<AppServer> server;
    std::unique_ptr<Dispatcher> dispatcher;
    std::string treeRequest;

    explicit Site(int groups)
    {
        ServerOptions options;
        options.port = 0;
        options.discovery = false;
        options.dataPort = -1;
        options.database = dir.file("bench.db");
        options.adminPassword = "bench";
        options.logLevel = serverlog::Level::Error;
        server = std::make_unique<AppServer>(options);
        server->start();
        FillBenchInventory(server->storage(), groups, DevicesPerGroup, MonitorsPerDevice);
        dispatcher = std::make_unique<Dispatcher>(server->state(), domainFactory());
        const MtxString user("admin");
        const MtxString password("bench");
        dispatcher->handle(requestText("SysService", "login", {&user, &password}, "0"), Peer);
        const MtxString all("-1");
        treeRequest = requestText("ElementService", "findElementTree", {&all}, "admin");
    }
    ~Site() { server->stop(); }

    std::string reply() { return dispatcher->handle(treeRequest, Peer); }
};

Site &SiteOf(int groups)
{
    return BenchSiteOf<Site>(groups);
}

// The server's part: select, tree, reply text.
void BM_ServerTreeReply(benchmark::State &state)
{
    Site &site = SiteOf(int(state.range(0)));
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string reply = site.reply();
        bytes = reply.size();
        benchmark::DoNotOptimize(reply.data());
    }
    state.counters["replyMB"] = double(bytes) / (1024.0 * 1024.0);
}
BENCHMARK(BM_ServerTreeReply)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(5);

// The client's part: the reply text decoded into the tree; also the memory
// the decoded tree holds.
void BM_ClientTreeDecode(benchmark::State &state)
{
    const std::string text = SiteOf(int(state.range(0))).reply();
    double heldMegabytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::string local = text;
        auto tree = std::make_unique<MtxTree>(std::make_unique<ElementObj>());
        tree->setFactory(&domainFactory());
        const double before = ResidentMegabytes();
        state.ResumeTiming();
        MtxStatus status;
        MtxReply reply(&status, tree.get());
        if (!reply.decodeInPlace(local) || !status.succeeded()) {
            state.SkipWithError("the reply did not decode");
            break;
        }
        state.PauseTiming();
        local = std::string();
        heldMegabytes = std::max(heldMegabytes, ResidentMegabytes() - before);
        tree.reset();
        state.ResumeTiming();
    }
    state.counters["treeMB"] = heldMegabytes;
}
BENCHMARK(BM_ClientTreeDecode)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(5);

// The floor of the decode: pugixml parsing the same text in place.
void BM_BareParse(benchmark::State &state)
{
    const std::string text = SiteOf(int(state.range(0))).reply();
    for (auto _ : state) {
        state.PauseTiming();
        std::string local = text;
        state.ResumeTiming();
        pugi::xml_document document;
        benchmark::DoNotOptimize(orb::parseLocalDocumentInPlace(document, local));
    }
}
BENCHMARK(BM_BareParse)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
