#include <gtest/gtest.h>

#include <thread>

#include "testclient.h"
#include "orb/net/mtxreply.h"
#include "orb/net/mtxrequest.h"
#include "orb/wire/mtxstring.h"
#include "orb/wire/mtxusersession.h"

using namespace std::chrono_literals;
using testing_support::FakeTcpServer;
using testing_support::FakeUdpResponder;
using testing_support::Peer;
using testing_support::TestClient;

namespace {

const std::string DiscoveryQuestion =
    std::string("DOMAIN_CTR,CHECK_APP_SERVER\x0A\x0D" "2") + std::string(70, '\0');

// Answers login, logoff and any other method like a healthy server would.
void healthyServer(Peer &peer)
{
    const std::string request = peer.readRequest();
    if (request.empty())
        return;
    peer.send(testing_support::stringReply(testing_support::methodOf(request), "ok"));
}

template <class Predicate>
bool eventually(Predicate predicate)
{
    for (int i = 0; i < 1000 && !predicate(); ++i)
        std::this_thread::sleep_for(2ms);
    return predicate();
}

std::string callStatus(OrbService &service)
{
    MtxString response;
    const MtxStatus status = service.invoke("ping", {}, &response);
    return std::string(status.getCode()) + " " + status.getMessage();
}

} // namespace

TEST(Discovery, AnswerBecomesTheCurrentHost)
{
    FakeTcpServer server(healthyServer);
    TestClient test(server.port(), "127.0.0.1");
    EXPECT_EQ(test.client->discover(), "127.0.0.1");
    ASSERT_TRUE(test.discovery.waitForDatagrams(1));
    const std::string datagram = test.discovery.datagrams()[0];
    EXPECT_EQ(datagram, DiscoveryQuestion);
    EXPECT_EQ(datagram.size(), 100u);

    EXPECT_TRUE(test.client->reconnect());
    EXPECT_EQ(test.client->getCurrentHost(), "127.0.0.1");
    EXPECT_EQ(test.client->pooledCount(), 1u);
}

TEST(Discovery, NoAnswerTriesTenTimesTheLastFourOnTheFallbackPort)
{
    TestClient test(1);
    EXPECT_EQ(test.client->discover(), "ERROR");
    EXPECT_TRUE(test.discovery.waitForDatagrams(6));
    EXPECT_TRUE(test.fallback.waitForDatagrams(4));
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(test.discovery.received(), 6);
    EXPECT_EQ(test.fallback.received(), 4);
    for (const std::string &datagram : test.fallback.datagrams())
        EXPECT_EQ(datagram, DiscoveryQuestion);
}

TEST(Discovery, AnswerOfFiveHundredBytesIsRefusedAtOnce)
{
    TestClient test(1, std::string(500, 'h'));
    EXPECT_EQ(test.client->discover(), "ERROR");
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(test.discovery.received(), 1);
    EXPECT_EQ(test.fallback.received(), 0);

    TestClient almost(1, std::string(499, 'h'));
    EXPECT_EQ(almost.client->discover(), std::string(499, 'h'));
}

TEST(Discovery, TargetIsConfigurableButTheEnvironmentPinsIt)
{
    OrbClient client("127.0.0.1", 1, 1);
    ::setenv("KEELMON_DISCOVERY_TARGET", "127.0.0.1", 1);
    client.setDiscoveryTarget("192.0.2.1");
    EXPECT_EQ(client.discoveryTarget(), "127.0.0.1");
    ::unsetenv("KEELMON_DISCOVERY_TARGET");
    EXPECT_EQ(client.discoveryTarget(), "192.0.2.1");
    OrbClient fresh("", 1, 1);
    EXPECT_EQ(fresh.discoveryTarget(), "255.255.255.255");
    EXPECT_STREQ(fresh.getConfiguredHost(), "localhost");
    ::setenv("KEELMON_DISCOVERY_TARGET", "127.0.0.1", 1);
}

TEST(Login, SessionIsCarriedAfterwardsAndRefillStopsAfterLogoff)
{
    FakeTcpServer server(healthyServer);
    TestClient test(server.port());
    OrbClient &client = *test.client;
    EXPECT_EQ(client.pooledCount(), 0u);

    MtxStatus result;
    MtxUserSession session;
    session.setUserName("operator");
    session.setSessionKey("k1");
    EXPECT_EQ(&client.login(result, "operator", "secret", "version", session), &result);
    EXPECT_STREQ(result.getCode(), "1");
    EXPECT_STREQ(result.getMessage(), "SUCCEED");
    EXPECT_STREQ(client.getSession().getUserName(), "operator");
    EXPECT_EQ(client.getClient(), &client);
    EXPECT_EQ(testing_support::sessionOf(server.requests()[0]), "");

    // A service object handed the session and the client calls as the user.
    OrbService elements("ElementService");
    elements.setSession(client.getSession());
    elements.setClient(&client);
    EXPECT_STREQ(elements.getSessionKey(), "k1");
    EXPECT_EQ(callStatus(elements), "1 SUCCEED");
    EXPECT_EQ(testing_support::sessionOf(server.requests().back()), "operator");
    EXPECT_TRUE(eventually([&] { return client.pooledCount() == 1; })) << "a refill prepares the next connection";

    MtxStatus logoffResult;
    client.logoff(logoffResult, &session);
    EXPECT_STREQ(logoffResult.getMessage(), "SUCCEED");
    EXPECT_FALSE(client.isRefillEnabled());
    EXPECT_NE(server.requests().back().find("<method-name>logoff</method-name><trans-iD>0</trans-iD>"
                                            "<session-iD>operator</session-iD><args xsi-type=\""
                                            "com.Velmora.Orb.MtxRequest\"><value xsi-type=\"Orb.MtxUserSession\">"),
              std::string::npos);

    // After logoff calls still work but nothing is prepared ahead.
    EXPECT_EQ(callStatus(client), "1 SUCCEED");
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(client.pooledCount(), 0u);
}

TEST(Login, UnreachableServerOrShutdownRefuseLogin)
{
    FakeTcpServer refusing(nullptr, false);
    TestClient test(refusing.port());
    MtxStatus result;
    MtxUserSession session;
    test.client->login(result, "u", "p", "version", session);
    EXPECT_STREQ(result.getCode(), "CLIENT_EXCEPTION");
    EXPECT_STREQ(result.getMessage(), "InitConnectionPool error");
    EXPECT_EQ(test.client->getCurrentHost(), "") << "a failed connection clears the current host";

    test.client->setShutdown(true);
    test.client->login(result, "u", "p", "version", session);
    EXPECT_STREQ(result.getCode(), "1");
    EXPECT_STREQ(result.getMessage(), "Server ShutDown");
}

TEST(Pool, EmptyPoolConnectsAfreshWithoutRefill)
{
    FakeTcpServer server(healthyServer);
    TestClient test(server.port());
    std::unique_ptr<CBlockingSocket> socket = test.client->getPooledSocketClient();
    ASSERT_NE(socket, nullptr);
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(test.client->pooledCount(), 0u);
    EXPECT_EQ(server.connectionsAccepted(), 1);
    socket->Close();

    ASSERT_TRUE(test.client->fillPool(1));
    socket = test.client->getPooledSocketClient();
    ASSERT_NE(socket, nullptr);
    EXPECT_TRUE(eventually([&] { return test.client->pooledCount() == 1; }));
    socket->Close();
}

TEST(Pool, ConnectionClosedByServerWhileIdleIsReplacedTransparently)
{
    FakeTcpServer server(healthyServer);
    TestClient test(server.port());
    ASSERT_TRUE(test.client->fillPool(1));
    ASSERT_TRUE(eventually([&] { return server.connectionsAccepted() == 1; }));
    server.dropConnections();
    std::this_thread::sleep_for(20ms);

    EXPECT_EQ(callStatus(*test.client), "1 SUCCEED");
    EXPECT_EQ(test.discovery.received(), 0) << "a stale connection must not start discovery";
    EXPECT_EQ(test.client->getCurrentHost(), "127.0.0.1");
}

TEST(Pool, ClientFindsItsServerAgainAfterAnOutage)
{
    FakeTcpServer server(healthyServer, false);
    TestClient test(server.port());
    EXPECT_EQ(callStatus(*test.client), "CLIENT_EXCEPTION Server Not Found Error");
    server.startListening();
    EXPECT_EQ(callStatus(*test.client), "1 SUCCEED");
    EXPECT_EQ(test.client->getCurrentHost(), "127.0.0.1");
}

TEST(Pool, DestroyingTheClientClosesPooledConnections)
{
    FakeTcpServer server([](Peer &peer) { peer.waitForClientClose(); });
    auto test = std::make_unique<TestClient>(server.port());
    ASSERT_TRUE(test->client->fillPool(1));
    std::unique_ptr<CBlockingSocket> taken = test->client->getPooledSocketClient(); // starts a refill
    ASSERT_NE(taken, nullptr);
    taken->Close();
    ASSERT_TRUE(eventually([&] { return server.connectionsAccepted() == 2; }));
    EXPECT_TRUE(eventually([&] { return server.openConnections() == 1; })) << "the refilled one waits in the pool";
    test.reset();
    EXPECT_TRUE(eventually([&] { return server.openConnections() == 0; }));
}
