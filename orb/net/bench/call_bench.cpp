// A remote call through the client's pool against the bare round trip it
// stands on (connect, send, receive, close) with the same bytes, against the
// same loopback server in the same run.
#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "loopbackserver.h"
#include "orb/net/mtxrequest.h"
#include "orb/net/orbclient.h"
#include "orb/wire/mtxstring.h"

namespace {

const std::string Reply = "<pro-rep><service-name>SysService</service-name><method-name>findSysStatus"
                          "</method-name><response>running</response></pro-rep>";

// Argument 0: calls one after another with no pause, so the refill competes
// with the next call for the two cores (the pool's worst case). Argument 1:
// calls as an operator makes them, with time between them (not measured) in
// which the refill has a connection ready: the latency the pool exists for.
void BM_CallThroughPool(benchmark::State &state)
{
    const bool paced = state.range(0) != 0;
    LoopbackServer server(Reply);
    OrbClient client("127.0.0.1", server.port(), 1);
    client.setDiscoveryTarget("127.0.0.1");
    client.setClient(&client);
    client.fillPool(1);
    const MtxString argument("1");
    // Calls that found no connection ready (the refill had not finished).
    int empty = 0;
    for (auto _ : state) {
        if (paced) {
            state.PauseTiming();
            for (int wait = 0; wait < 1000 && client.pooledCount() == 0; ++wait)
                usleep(100);
            state.ResumeTiming();
        }
        if (client.pooledCount() == 0)
            ++empty;
        MtxString response;
        const MtxStatus status = client.invoke("findSysStatus", {&argument}, &response);
        if (!status.succeeded()) {
            state.SkipWithError(status.getMessage());
            break;
        }
    }
    state.counters["empty"] = empty;
}
BENCHMARK(BM_CallThroughPool)->ArgName("paced")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_BareRoundTrip(benchmark::State &state)
{
    LoopbackServer server(Reply);
    const MtxString argument("1");
    MtxRequest request("SysService", "findSysStatus", {&argument});
    request.setSessionID("");
    std::string text;
    request.write(text);
    const std::string framed = MtxRequest::frame(text);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(server.port()));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    char buffer[2048];
    for (auto _ : state) {
        const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
        if (::connect(socket, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
            state.SkipWithError("connect failed");
            break;
        }
        ::send(socket, framed.data(), framed.size(), MSG_NOSIGNAL);
        std::size_t received = 0;
        while (received < Reply.size()) {
            const ssize_t count = ::recv(socket, buffer, sizeof buffer, 0);
            if (count <= 0)
                break;
            received += static_cast<std::size_t>(count);
        }
        ::close(socket);
    }
}
BENCHMARK(BM_BareRoundTrip)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace
