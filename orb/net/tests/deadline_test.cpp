#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "testclient.h"
#include "orb/net/callcontrol.h"
#include "orb/wire/mtxstring.h"

using namespace std::chrono_literals;
using testing_support::FakeTcpServer;
using testing_support::Peer;
using testing_support::TestClient;

namespace {

using Clock = std::chrono::steady_clock;

struct Timed
{
    MtxStatus status;
    std::chrono::milliseconds took{};
};

Timed timedCall(OrbClient &client)
{
    MtxString response;
    MtxString argument("x");
    const auto start = Clock::now();
    Timed result;
    result.status = client.invoke("m", {&argument}, &response);
    result.took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    return result;
}

// Answers with one byte every 20 ms, for at most 2 s: each receive gets
// something long before its own time-out.
void trickle(Peer &peer)
{
    if (peer.readRequest().empty())
        return;
    const std::string reply = testing_support::stringReply("m", "never ends") + std::string(4096, ' ');
    for (std::size_t i = 0; i < 100 && i < reply.size(); ++i) {
        peer.send(reply.substr(i, 1));
        std::this_thread::sleep_for(20ms);
    }
}

} // namespace

TEST(Deadline, HoldsAgainstATricklingServerAndAgainstDiscovery)
{
    // In each case a long time-out is set that the call's deadline of 300 ms
    // has to cut short.
    struct Case
    {
        const char *name;
        FakeTcpServer::Behaviour serve;
        bool listening;
        void (*lengthen)(OrbClient::Timeouts &);
        std::chrono::milliseconds bound;
        int maxDiscoveries;
    };
    const Case cases[] = {
        // The trickle lasts 2 s, and each receive gets something long before its own 5 s.
        {"trickling server", trickle, true, [](OrbClient::Timeouts &t) { t.receive = 5s; }, 1500ms, 0},
        // No server at all: connect fails, then discovery would take ten
        // receives of 1 s each.
        {"no server, discovery", [](Peer &) {}, false, [](OrbClient::Timeouts &t) { t.discoveryReceive = 1s; }, 2s, 1},
    };
    for (const Case &c : cases) {
        FakeTcpServer server(c.serve, c.listening);
        TestClient test(server.port());
        OrbClient::Timeouts timeouts = testing_support::fastTimeouts();
        c.lengthen(timeouts);
        timeouts.call = 300ms;
        test.client->setTimeouts(timeouts);
        const Timed outcome = timedCall(*test.client);
        EXPECT_STREQ(outcome.status.getCode(), "CLIENT_EXCEPTION") << c.name;
        EXPECT_NE(std::string(outcome.status.getMessage()).find("timed out"), std::string::npos)
            << c.name << ": " << outcome.status.getMessage();
        EXPECT_LT(outcome.took, c.bound) << c.name;
        EXPECT_LE(test.discovery.received(), c.maxDiscoveries) << c.name;
    }
}

TEST(Deadline, CancelEndsAWaitingCallAtOnceAndTheNextCallSucceeds)
{
    std::atomic<bool> answer{false};
    FakeTcpServer server([&answer](Peer &peer) {
        if (peer.readRequest().empty())
            return;
        if (answer)
            peer.send(testing_support::stringReply("m", "back"));
        peer.waitForClientClose();
    });
    TestClient test(server.port());
    OrbClient::Timeouts timeouts = testing_support::fastTimeouts();
    timeouts.receive = 10s;
    test.client->setTimeouts(timeouts);

    CallControl control;
    std::promise<void> started;
    auto call = std::async(std::launch::async, [&] {
        CallControl::Scope scope(control);
        started.set_value();
        return timedCall(*test.client);
    });
    started.get_future().wait();
    std::this_thread::sleep_for(100ms); // the call is waiting for its reply by now
    const auto cancelledAt = Clock::now();
    control.cancel();
    const Timed outcome = call.get();
    const auto afterCancel = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - cancelledAt);
    EXPECT_STREQ(outcome.status.getCode(), "CLIENT_EXCEPTION");
    EXPECT_STREQ(outcome.status.getMessage(), "Call cancelled");
    EXPECT_LT(afterCancel, 1s) << "the receive would have waited 10 s";
    RecordProperty("cancel_to_return_ms", std::to_string(afterCancel.count()));

    answer = true;
    const Timed next = timedCall(*test.client);
    EXPECT_STREQ(next.status.getCode(), "1") << next.status.getMessage();
}

TEST(Deadline, TruncatedOrForeignRepliesSaySoInsteadOfBusy)
{
    struct Case
    {
        std::string bytes;
        const char *expected;
    };
    const std::vector<Case> cases = {
        {"<pro-rep><service-name>S</service-name><response>half", "Server reply incomplete"},
        {"HTTP/1.1 400 Bad Request\r\n\r\n", "not well-formed"},
    };
    for (const Case &c : cases) {
        FakeTcpServer server([&c](Peer &peer) {
            if (!peer.readRequest().empty())
                peer.send(c.bytes);
        });
        TestClient test(server.port());
        const Timed outcome = timedCall(*test.client);
        EXPECT_STREQ(outcome.status.getCode(), "CLIENT_EXCEPTION") << c.bytes;
        EXPECT_NE(std::string(outcome.status.getMessage()).find(c.expected), std::string::npos)
            << c.bytes << " -> " << outcome.status.getMessage();
    }
}
