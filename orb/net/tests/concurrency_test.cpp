#include <gtest/gtest.h>

#include <thread>

#include "testclient.h"
#include "orb/wire/mtxstring.h"

using testing_support::FakeTcpServer;
using testing_support::Peer;
using testing_support::TestClient;

// Several threads call through one client while refill workers add to the
// pool behind them; run under ThreadSanitizer too.
TEST(Concurrency, CallsFromSeveralThreadsShareOneClient)
{
    FakeTcpServer server([](Peer &peer) {
        const std::string request = peer.readRequest();
        if (!request.empty())
            peer.send(testing_support::stringReply("echo", testing_support::sessionOf(request)));
    });
    TestClient test(server.port());
    MtxStatus result;
    MtxUserSession session;
    session.setUserName("operator");
    test.client->login(result, "operator", "secret", "version", session);
    ASSERT_STREQ(result.getMessage(), "SUCCEED");

    constexpr int Threads = 4;
    constexpr int CallsEach = 25;
    std::atomic<int> succeeded = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < Threads; ++t) {
        threads.emplace_back([&] {
            OrbService service("ElementService");
            service.setSession(test.client->getSession());
            service.setClient(test.client.get());
            for (int i = 0; i < CallsEach; ++i) {
                MtxString response;
                const MtxStatus status = service.invoke("echo", {}, &response);
                if (status.succeeded() && std::string(response.getValue()) == "operator")
                    ++succeeded;
            }
        });
    }
    for (auto &thread : threads)
        thread.join();
    EXPECT_EQ(succeeded, Threads * CallsEach);
    EXPECT_LE(test.client->pooledCount(), static_cast<std::size_t>(Threads * CallsEach));
    test.client.reset(); // joins the refill workers while the server still runs
}
