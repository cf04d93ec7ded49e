#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include <arpa/inet.h>
#include <unistd.h>

#include "testsupport/fakeserver.h"
#include "orb/net/blockingsocket.h"

using namespace std::chrono_literals;
using testing_support::FakeTcpServer;
using testing_support::Peer;

TEST(BlockingSocketException, MessageNamesOperationAndCodeOnlyWhenThereIsOne)
{
    const CBlockingSocketException withCode("Connect", 111);
    EXPECT_STREQ(withCode.what(), "Connect error #111");
    EXPECT_EQ(withCode.getError(), 111);

    const CBlockingSocketException withoutCode("Receive timeout", 0);
    EXPECT_STREQ(withoutCode.what(), "Receive timeout error");
    EXPECT_EQ(std::strchr(withoutCode.what(), '#'), nullptr);

    char shortBuffer[8];
    EXPECT_TRUE(withCode.GetErrorMessage(shortBuffer, sizeof shortBuffer));
    EXPECT_STREQ(shortBuffer, "Connect");
}

TEST(BlockingSocket, CloseIsHarmlessWithoutSocketAndTwice)
{
    CBlockingSocket socket;
    EXPECT_EQ(socket.Close(), 0);
    socket.Create();
    EXPECT_TRUE(socket.IsOpen());
    EXPECT_EQ(socket.Close(), 1);
    EXPECT_EQ(socket.Close(), 0);
    EXPECT_FALSE(socket.IsOpen());
}

TEST(BlockingSocket, OperationsWithoutSocketThrowInsteadOfTouchingAnotherDescriptor)
{
    CBlockingSocket socket;
    char buffer[4];
    try {
        socket.Receive(buffer, sizeof buffer, 10ms);
        FAIL() << "Receive without a socket must throw";
    } catch (const CBlockingSocketException &error) {
        EXPECT_STREQ(error.getOperation(), "Receive");
        EXPECT_EQ(error.getError(), EBADF);
    }
    EXPECT_FALSE(socket.IsConnectionAlive());
}

TEST(BlockingSocket, ConnectToClosedPortThrowsConnectWithTheSystemError)
{
    FakeTcpServer refusing(nullptr, false); // bound, not listening: refuses
    CBlockingSocket socket;
    socket.Create();
    try {
        socket.Connect(CBlockingSocket::GetHostByName("127.0.0.1", refusing.port()), 1s);
        FAIL() << "connecting to a port nobody listens on must throw";
    } catch (const CBlockingSocketException &error) {
        EXPECT_STREQ(error.getOperation(), "Connect");
        EXPECT_EQ(error.getError(), ECONNREFUSED);
        EXPECT_EQ(std::string(error.what()), "Connect error #" + std::to_string(ECONNREFUSED));
    }
    EXPECT_TRUE(socket.IsOpen()) << "a failed connect keeps the handle for Close";
    socket.Close();
}

TEST(BlockingSocket, GetHostByNameGivesNetworkOrderAddressOrThrows)
{
    const sockaddr_in address = CBlockingSocket::GetHostByName("127.0.0.1", 8899);
    EXPECT_EQ(address.sin_family, AF_INET);
    EXPECT_EQ(ntohs(address.sin_port), 8899);
    EXPECT_EQ(ntohl(address.sin_addr.s_addr), INADDR_LOOPBACK);

    EXPECT_THROW(CBlockingSocket::GetHostByName("", 1), CBlockingSocketException);
}

TEST(BlockingSocket, ReceiveTimesOutOnSilentPeerAndSeesPeerClose)
{
    FakeTcpServer server([](Peer &peer) { peer.waitForClientClose(); });
    CBlockingSocket socket;
    socket.Create();
    socket.Connect(CBlockingSocket::GetHostByName("127.0.0.1", server.port()), 1s);
    EXPECT_TRUE(socket.IsConnectionAlive());
    char buffer[16];
    try {
        socket.Receive(buffer, sizeof buffer, 30ms);
        FAIL() << "a silent peer must time out";
    } catch (const CBlockingSocketException &error) {
        EXPECT_STREQ(error.what(), "Receive timeout error");
    }
    socket.Close();

    FakeTcpServer closing([](Peer &) {});
    CBlockingSocket second;
    second.Create();
    second.Connect(CBlockingSocket::GetHostByName("127.0.0.1", closing.port()), 1s);
    EXPECT_EQ(second.Receive(buffer, sizeof buffer, 1s), 0) << "a closed peer reads as 0 bytes";
    EXPECT_FALSE(second.IsConnectionAlive());
    second.Close();
}

TEST(BlockingSocket, SendToVanishedPeerThrowsWithoutKillingTheProcess)
{
    FakeTcpServer closing([](Peer &) {});
    CBlockingSocket socket;
    socket.Create();
    socket.Connect(CBlockingSocket::GetHostByName("127.0.0.1", closing.port()), 1s);
    char buffer[4];
    socket.Receive(buffer, sizeof buffer, 1s); // wait until the peer is gone
    const std::string bytes(64 * 1024, 'a');
    bool threw = false;
    // The first send may still be accepted; the reset makes a later one fail.
    for (int i = 0; i < 10 && !threw; ++i) {
        try {
            socket.Send(bytes.data(), static_cast<int>(bytes.size()), 200ms);
        } catch (const CBlockingSocketException &error) {
            threw = true;
            EXPECT_STREQ(error.getOperation(), "Send");
            EXPECT_TRUE(error.getError() == EPIPE || error.getError() == ECONNRESET) << error.what();
        }
    }
    EXPECT_TRUE(threw);
    socket.Close();
}

TEST(BlockingSocket, SendNeverWaitsPastItsTimeOutOnAPeerThatStoppedReading)
{
    std::atomic<bool> done = false;
    FakeTcpServer server([&done](Peer &) {
        while (!done)
            std::this_thread::sleep_for(5ms);
    });
    CBlockingSocket socket;
    socket.Create();
    socket.Connect(CBlockingSocket::GetHostByName("127.0.0.1", server.port()), 1s);
    const std::string bytes(64 * 1024 * 1024, 'a');
    std::size_t sent = 0;
    try {
        while (sent < bytes.size())
            sent += static_cast<std::size_t>(
                socket.Send(bytes.data() + sent, static_cast<int>(bytes.size() - sent), 50ms));
        ADD_FAILURE() << "64 MiB cannot fit the buffers of a peer that reads nothing";
    } catch (const CBlockingSocketException &error) {
        EXPECT_STREQ(error.what(), "Send timeout error");
    }
    EXPECT_GT(sent, 0u) << "what fits is sent";
    done = true;
    socket.Close();
}

TEST(BlockingSocket, ConnectToAServerThatNeverAnswersEndsAfterItsTimeOut)
{
    // A listener whose accept queue is full drops further handshakes.
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = CBlockingSocket::GetHostByName("127.0.0.1", 0);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 0), 0);
    socklen_t length = sizeof address;
    ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length);
    std::vector<std::unique_ptr<CBlockingSocket>> queued;
    bool timedOut = false;
    for (int i = 0; i < 8 && !timedOut; ++i) {
        auto socket = std::make_unique<CBlockingSocket>();
        socket->Create();
        try {
            socket->Connect(address, 30ms);
            queued.push_back(std::move(socket));
        } catch (const CBlockingSocketException &error) {
            timedOut = true;
            EXPECT_STREQ(error.getOperation(), "Connect");
            EXPECT_EQ(error.getError(), ETIMEDOUT);
        }
    }
    EXPECT_TRUE(timedOut) << "a connect must not wait longer than its time-out";
    ::close(listener);
}
