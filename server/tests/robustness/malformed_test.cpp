#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "orb/wire/mtxstring.h"
#include "testsupport/loopback.h"
#include "testsupport/servertest.h"

namespace {

// Short time-outs so that slow requests are cut off quickly.
class RobustnessTest : public ServerTest
{
protected:
    // The raw requests below name admin as their session: log admin in from
    // this (loopback) address first.
    void SetUp() override
    {
        ServerTest::SetUp();
        admin();
    }
    ServerOptions options() const override
    {
        ServerOptions options = ServerTest::options();
        options.limits.requestTimeout = std::chrono::milliseconds(400);
        return options;
    }
    std::string request(const std::string &inner)
    {
        return "Orb.MtxRequest\r\n<pro-req><service-name>SysService</service-name><method-name>findWatchType"
               "</method-name><trans-iD>0</trans-iD><session-iD>admin</session-iD>" + inner + "</pro-req>\r\n\r\n\r\n";
    }
    bool serverStillAnswers()
    {
        std::string reply = exchangeOnLoopback(m_server->port(), request("<args><value xsi-type=\"Orb.MtxString\">SysInfo</value></args>"));
        return reply.find("<response><MtxTree") != std::string::npos;
    }
    static bool endsLikeAReply(const std::string &reply)
    {
        return reply.size() >= 10 && reply.compare(reply.size() - 10, 10, "</pro-rep>") == 0;
    }
    static int connectTo(int port)
    {
        const int fd = connectLoopback(port);
        EXPECT_GE(fd, 0) << "cannot connect to 127.0.0.1:" << port;
        return fd;
    }
};

} // namespace

TEST_F(RobustnessTest, MalformedRequestsGetAnExceptionOrAClosedConnection)
{
    const std::string corpus[] = {
        "garbage that is not a request at all",
        std::string("\0\x01\x02\xff\xfe", 5),
        "GET / HTTP/1.1\r\nHost: x\r\n\r\n",
        "Orb.MtxRequest\r\n<pro-req><service-name>SysService</service-name></pro-req>",
        "Orb.MtxRequest\r\n<pro-req><service-name>a</service-name><method-name>b</pro-req>",
        "Orb.MtxRequest\r\n<nope></pro-req>",
        "Orb.MtxRequest\r\n<!DOCTYPE x [<!ENTITY a \"aaaa\">]><pro-req></pro-req>",
        request("<args xsi-type=\"com.Velmora.Orb.MtxRequest\"></args>"),
        request("<args><value xsi-type=\"Orb.NoSuchType\">x</value></args>"),
        request("<args><value xsi-type=\"Orb.ElementObj\"><ID>x</ID></value></args>"),
        request("<args><value>" + std::string(5000, 'x') + "</value></args>"),
        request(std::string(2000, '<')),
    };
    for (const std::string &bytes : corpus) {
        std::string reply = exchangeOnLoopback(m_server->port(), bytes);
        if (!reply.empty()) {
            EXPECT_TRUE(endsLikeAReply(reply)) << bytes.substr(0, 60) << " -> " << reply;
            EXPECT_NE(reply.find("<exception>"), std::string::npos) << bytes.substr(0, 60) << " -> " << reply;
        }
    }
    EXPECT_TRUE(serverStillAnswers());
}

TEST_F(RobustnessTest, OversizedRequestsAreRefusedWithoutReadingThemWhole)
{
    std::string huge = "Orb.MtxRequest\r\n<pro-req>" + std::string(5u << 20, 'a');
    std::string reply = exchangeOnLoopback(m_server->port(), huge);
    EXPECT_TRUE(endsLikeAReply(reply)) << reply.substr(0, 200);
    EXPECT_NE(reply.find("BAD_REQUEST"), std::string::npos);
    EXPECT_EQ(m_server->state().connectionStats().oversized, 1u);
    EXPECT_TRUE(serverStillAnswers());
}

TEST_F(RobustnessTest, SlowAndTruncatedRequestsTimeOutWithoutHoldingWorkers)
{
    // More half-sent requests than there are workers: none of them may hold one.
    std::vector<int> stalled;
    for (int i = 0; i < 12; ++i) {
        int fd = connectTo(m_server->port());
        std::string start = "Orb.MtxRequest\r\n<pro-req><service-name>Sys";
        ::send(fd, start.data(), start.size(), MSG_NOSIGNAL);
        stalled.push_back(fd);
    }
    EXPECT_TRUE(serverStillAnswers()) << "a request is served while others are stalled";
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    for (int fd : stalled) {
        char buffer[1024];
        std::string reply;
        ssize_t n;
        while ((n = ::recv(fd, buffer, sizeof buffer, 0)) > 0)
            reply.append(buffer, std::size_t(n));
        EXPECT_TRUE(endsLikeAReply(reply)) << "a timed-out request is told so: " << reply;
        ::close(fd);
    }
    EXPECT_GE(m_server->state().connectionStats().timedOut, 12u);

    // A client that sends half a request and goes away leaves nothing behind.
    int fd = connectTo(m_server->port());
    ::send(fd, "Orb.MtxRequest\r\n<pro", 20, MSG_NOSIGNAL);
    ::close(fd);
    EXPECT_TRUE(serverStillAnswers());
}

TEST_F(RobustnessTest, IdleConnectionsStayOpenAndServeLater)
{
    // The client's pool opens a connection well before it sends on it.
    int fd = connectTo(m_server->port());
    std::this_thread::sleep_for(std::chrono::milliseconds(1000)); // beyond the request time-out
    // This one, and perhaps the one admin's pool keeps ready.
    EXPECT_GE(m_server->state().connectionStats().waiting, 1u);
    std::string bytes = request("<args><value xsi-type=\"Orb.MtxString\">SysInfo</value></args>");
    ASSERT_EQ(::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), ssize_t(bytes.size()));
    std::string reply;
    char buffer[4096];
    ssize_t n;
    while ((n = ::recv(fd, buffer, sizeof buffer, 0)) > 0)
        reply.append(buffer, std::size_t(n));
    ::close(fd);
    EXPECT_TRUE(endsLikeAReply(reply));
    EXPECT_NE(reply.find("<response>"), std::string::npos) << reply;
}
