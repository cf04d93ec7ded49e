// A remote call through the client's pool against the bare round trip it
// stands on (connect, send, receive, close) with the same bytes, against the
// same loopback server in the same run. A third benchmark sends the same
// bytes on a connection opened beforehand, outside the measurement: the floor
// a pooled call could reach if opening the next connection cost it nothing.
#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "loopbackserver.h"
#include "orb/net/mtxrequest.h"
#include "orb/net/orbclient.h"
#include "orb/wire/mtxstring.h"

namespace {

const std::string Reply = "<pro-rep><service-name>SysService</service-name><method-name>findSysStatus"
                          "</method-name><response>running</response></pro-rep>";

// Every benchmark takes the same argument. 0: calls one after another with no
// pause, so a refill competes with the next call for the two cores (the
// pool's worst case). 1: calls as an operator makes them, with a pause
// between them that is not measured and is the same for all; the pool's
// refill has its connection ready by the end of it.
constexpr auto Pause = std::chrono::microseconds(300);

template <class Ready>
void pauseBetweenCalls(benchmark::State &state, Ready ready)
{
    state.PauseTiming();
    std::this_thread::sleep_for(Pause);
    for (int wait = 0; wait < 1000 && !ready(); ++wait)
        std::this_thread::sleep_for(Pause);
    state.ResumeTiming();
}

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
        if (paced)
            pauseBetweenCalls(state, [&client] { return client.pooledCount() > 0; });
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

// The framed request bytes a call sends, and the server's address.
struct RawExchange
{
    explicit RawExchange(int port)
    {
        const MtxString argument("1");
        MtxRequest request("SysService", "findSysStatus", {&argument});
        request.setSessionID("");
        std::string text;
        request.write(text);
        framed = MtxRequest::frame(text);
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    }

    int connect() const
    {
        const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
        if (socket >= 0 && ::connect(socket, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
            ::close(socket);
            return -1;
        }
        return socket;
    }

    // Sends the request, receives the whole reply, closes the connection.
    void exchange(int socket)
    {
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

    std::string framed;
    sockaddr_in address{};
    char buffer[2048];
};

void BM_BareRoundTrip(benchmark::State &state)
{
    const bool paced = state.range(0) != 0;
    LoopbackServer server(Reply);
    RawExchange raw(server.port());
    for (auto _ : state) {
        if (paced)
            pauseBetweenCalls(state, [] { return true; });
        const int socket = raw.connect();
        if (socket < 0) {
            state.SkipWithError("connect failed");
            break;
        }
        raw.exchange(socket);
    }
}

void BM_RoundTripOnOpenConnection(benchmark::State &state)
{
    const bool paced = state.range(0) != 0;
    LoopbackServer server(Reply);
    RawExchange raw(server.port());
    for (auto _ : state) {
        state.PauseTiming();
        const int socket = raw.connect();
        if (paced)
            std::this_thread::sleep_for(Pause);
        state.ResumeTiming();
        if (socket < 0) {
            state.SkipWithError("connect failed");
            break;
        }
        raw.exchange(socket);
    }
}

BENCHMARK(BM_CallThroughPool)->ArgName("paced")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_BareRoundTrip)->ArgName("paced")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_RoundTripOnOpenConnection)
    ->ArgName("paced")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

} // namespace
