#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "server/core/logthrottle.h"
#include "server/core/net/connectionserver.h"
#include "testsupport/loopback.h"

namespace {

// Requests end with "END"; "big" asks for a reply far larger than socket
// buffers, anything else is answered "ok:" and the request.
class EchoProtocol : public RequestProtocol
{
public:
    static constexpr std::size_t BigReply = std::size_t(32) << 20;

    requestreader::Frame frame(std::string_view received, std::size_t) override
    {
        return received.find("END") == std::string_view::npos ? requestreader::Frame::Incomplete
                                                                : requestreader::Frame::Complete;
    }
    std::string handle(std::string_view request, const std::string &) override
    {
        if (request.starts_with("big"))
            return std::string(BigReply, 'x');
        return "ok:" + std::string(request);
    }
    std::string refuse(Problem problem) override
    {
        return problem == Problem::Busy ? "busy" : "refused";
    }
};

class ConnectionAbuseTest : public ::testing::Test
{
protected:
    void start(ConnectionLimits limits)
    {
        m_server = std::make_unique<ConnectionServer>(m_protocol, limits);
        m_server->start("127.0.0.1", 0);
    }
    void TearDown() override
    {
        for (int fd : m_open)
            ::close(fd);
        if (m_server)
            m_server->stop();
    }
    int connectAndSend(const std::string &bytes)
    {
        int fd = connectLoopback(m_server->port());
        EXPECT_GE(fd, 0);
        if (!bytes.empty())
            EXPECT_EQ(::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), ssize_t(bytes.size()));
        m_open.push_back(fd);
        return fd;
    }
    // What arrives on fd until the server closes it or timeoutMs passes.
    static std::string readAll(int fd, int timeoutMs = 5000)
    {
        std::string text;
        char buffer[65536];
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            pollfd wait{fd, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&wait, 1, int(left.count())) <= 0)
                return text;
            ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
            if (got <= 0)
                return text;
            text.append(buffer, std::size_t(got));
        }
    }
    bool answers()
    {
        return exchangeOnLoopback(m_server->port(), "pingEND") == "ok:pingEND";
    }

    EchoProtocol m_protocol;
    std::unique_ptr<ConnectionServer> m_server;
    std::vector<int> m_open;
};

} // namespace

TEST_F(ConnectionAbuseTest, RequestFollowedByHalfCloseIsAnswered)
{
    start({});
    // The request and the end of stream often arrive in one wake-up.
    for (int i = 0; i < 50; ++i) {
        int fd = connectAndSend("askEND");
        ::shutdown(fd, SHUT_WR);
        ASSERT_EQ(readAll(fd), "ok:askEND") << "attempt " << i;
    }
    // An unfinished request cut by the client is closed without an answer.
    int fd = connectAndSend("unfinished");
    ::shutdown(fd, SHUT_WR);
    EXPECT_EQ(readAll(fd), "");
    EXPECT_TRUE(answers());
}

TEST_F(ConnectionAbuseTest, FullServerAnswersNewClientsBusy)
{
    ConnectionLimits limits;
    limits.maxConnections = 3;
    start(limits);
    // Connections in the middle of a request are not evicted for newcomers.
    for (int i = 0; i < 3; ++i)
        connectAndSend("half");
    for (int attempt = 0; attempt < 100 && (m_server->stats().open < 3 || m_server->stats().waiting > 0); ++attempt)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    for (int i = 0; i < 3; ++i) {
        int fd = connectAndSend("");
        EXPECT_EQ(readAll(fd), "busy");
        // Its request, sent after the refusal, changes nothing.
        ::send(fd, "askEND", 6, MSG_NOSIGNAL);
    }
    EXPECT_EQ(m_server->stats().busyRefusals, 3u);
    EXPECT_EQ(m_server->stats().open, 3u);
    ::close(m_open[0]);
    m_open.erase(m_open.begin());
    for (int attempt = 0; attempt < 100 && m_server->stats().open > 2; ++attempt)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(answers()) << "a freed place serves again";
}

TEST_F(ConnectionAbuseTest, ClientsThatDoNotReadHoldNoWorker)
{
    ConnectionLimits limits;
    limits.workerThreads = 2;
    limits.writeTimeout = std::chrono::seconds(60);
    start(limits);
    for (int i = 0; i < 4; ++i)
        connectAndSend("bigEND"); // far more than the socket buffers hold, never read
    // With each worker stuck on a client this would wait the write time-out.
    EXPECT_EQ(exchangeOnLoopback(m_server->port(), "pingEND", 5000), "ok:pingEND");
    // A late reader still gets its whole reply.
    EXPECT_EQ(readAll(m_open[0], 10000).size(), EchoProtocol::BigReply);
    // Stopping does not wait the write time-out for the others: the fixture's
    // stop() returns before the test's own time limit.
    m_server->stop();
    EXPECT_EQ(m_server->stats().open, 0u);
}

TEST_F(ConnectionAbuseTest, UnfinishedRequestsShareOneMemoryBudget)
{
    ConnectionLimits limits;
    limits.incompleteBudget = std::size_t(1) << 20;
    start(limits);
    const std::string chunk(std::size_t(300) << 10, 'a');
    std::vector<int> holders;
    for (int i = 0; i < 6; ++i)
        holders.push_back(connectAndSend(chunk));
    int refused = 0;
    for (int fd : holders)
        refused += readAll(fd, 300) == "busy";
    EXPECT_GE(refused, 2) << "six requests of 300 KiB do not fit in 1 MiB";
    EXPECT_LE(refused, 5);
    EXPECT_TRUE(answers());
}

TEST_F(ConnectionAbuseTest, RunningOutOfFileDescriptorsPausesAcceptingAndRecovers)
{
    ConnectionLimits limits;
    limits.acceptPause = std::chrono::milliseconds(50);
    start(limits);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit tight = saved;
    tight.rlim_cur = 256;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    // The clients' sockets exist first; then every descriptor is taken, so
    // the server has none left for accepting them (a connect needs none).
    std::vector<int> clients;
    for (int i = 0; i < 4; ++i) {
        clients.push_back(::socket(AF_INET, SOCK_STREAM, 0));
        ASSERT_GE(clients.back(), 0);
    }
    std::vector<int> filler;
    for (int fd; (fd = ::dup(0)) >= 0;)
        filler.push_back(fd);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(std::uint16_t(m_server->port()));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    for (int fd : clients)
        ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0) << std::strerror(errno);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(m_server->stats().accepted, 0u);
    for (int fd : filler)
        ::close(fd);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &saved), 0);
    // Accepting resumes after the pause: the waiting clients are served.
    for (int fd : clients) {
        ASSERT_EQ(::send(fd, "askEND", 6, MSG_NOSIGNAL), 6);
        EXPECT_EQ(readAll(fd), "ok:askEND");
        ::close(fd);
    }
}

TEST(LogThrottleTest, RepeatedLinesAreCountedNotWritten)
{
    LogThrottle throttle(2, std::chrono::seconds(10));
    const auto start = LogThrottle::Clock::now();
    std::size_t suppressed = 0;
    EXPECT_TRUE(throttle.admit("same", start, suppressed));
    EXPECT_TRUE(throttle.admit("same", start, suppressed));
    for (int i = 0; i < 1000; ++i)
        EXPECT_FALSE(throttle.admit("same", start + std::chrono::seconds(1), suppressed));
    EXPECT_TRUE(throttle.admit("other", start, suppressed)) << "texts are counted apart";
    EXPECT_TRUE(throttle.admit("same", start + std::chrono::seconds(11), suppressed));
    EXPECT_EQ(suppressed, 1000u) << "the next line that passes says how many were held back";
}
