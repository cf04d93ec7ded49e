#include <gtest/gtest.h>

#include "server/engine/checks/checks.h"
#include "server/engine/monitorkinds.h"
#include "server/tests/engine/loopbackservers.h"

namespace {

CheckInput input(std::map<std::string, std::string> params, const CheckScope &scope,
                 std::chrono::milliseconds timeout = std::chrono::milliseconds(2000))
{
    return {std::move(params), &scope, timeout};
}

const CheckScope loopback(CheckScope::Loopback);

} // namespace

TEST(Checks, TcpConnectTellsOpenFromClosed)
{
    LoopbackTcpServer listening(LoopbackTcpServer::http(200));
    CheckResult open = checks::tcpConnect(input({{"HostName", "127.0.0.1"}, {"Port", std::to_string(listening.port())}}, loopback));
    ASSERT_TRUE(open.ran) << open.error;
    EXPECT_EQ(open.values.at(0), "open");
    EXPECT_GE(std::stoi(open.values.at(1)), 0);

    CheckResult closed = checks::tcpConnect(input({{"HostName", "localhost"}, {"Port", std::to_string(closedPort())}}, loopback));
    ASSERT_TRUE(closed.ran) << closed.error;
    EXPECT_EQ(closed.values.at(0), "closed");

    EXPECT_FALSE(checks::tcpConnect(input({{"HostName", "127.0.0.1"}}, loopback)).ran) << "no port";
}

TEST(Checks, LoopbackScopeRefusesEveryOtherAddressBeforeSending)
{
    // Nothing is sent: the scope refuses while resolving. Documentation and
    // private ranges stand for any outside address.
    for (const char *host : {"192.0.2.1", "10.0.0.1", "0.0.0.0", "255.255.255.255", "example.invalid"}) {
        CheckResult result = checks::tcpConnect(input({{"HostName", host}, {"Port", "80"}}, loopback));
        EXPECT_FALSE(result.ran) << host;
        EXPECT_NE(result.error.find("loopback"), std::string::npos) << result.error;
        EXPECT_FALSE(checks::dnsLookup(input({{"DnsServer", host}, {"QueryName", "a.test"}}, loopback)).ran) << host;
        EXPECT_FALSE(checks::ping(input({{"HostName", host}}, loopback)).ran) << host;
    }
    sockaddr_in address{};
    std::string reason;
    EXPECT_TRUE(loopback.resolve("127.9.8.7", 1, address, reason));
    EXPECT_FALSE(loopback.resolve("127.0.0.1", 70000, address, reason));
}

TEST(Checks, HttpGetReportsTheStatusCode)
{
    LoopbackTcpServer ok(LoopbackTcpServer::http(200)), broken(LoopbackTcpServer::http(500));
    CheckResult good = checks::httpGet(input({{"HostName", "127.0.0.1"}, {"Port", std::to_string(ok.port())}}, loopback));
    ASSERT_TRUE(good.ran) << good.error;
    EXPECT_EQ(good.values.at(0), "200");
    CheckResult bad = checks::httpGet(
        input({{"HostName", "127.0.0.1"}, {"Port", std::to_string(broken.port())}, {"Path", "/x"}}, loopback));
    ASSERT_TRUE(bad.ran) << bad.error;
    EXPECT_EQ(bad.values.at(0), "500");

    EXPECT_FALSE(checks::httpGet(input({{"HostName", "127.0.0.1"}, {"Port", std::to_string(closedPort())}}, loopback)).ran);
    EXPECT_FALSE(checks::httpGet(input({{"HostName", "127.0.0.1"}, {"Port", std::to_string(ok.port())},
                                        {"Path", "/a b"}}, loopback)).ran)
        << "a path that would break the request line";

    // A server that never answers costs the time-out, not more.
    LoopbackTcpServer silent(LoopbackTcpServer::silent());
    auto start = std::chrono::steady_clock::now();
    CheckResult mute = checks::httpGet(input({{"HostName", "127.0.0.1"}, {"Port", std::to_string(silent.port())}},
                                             loopback, std::chrono::milliseconds(200)));
    EXPECT_FALSE(mute.ran);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
}

TEST(Checks, DnsLookupAsksOnlyTheNamedServer)
{
    LoopbackDns dns("web.keel.test", "127.0.0.42");
    auto ask = [&](const std::string &name) {
        return checks::dnsLookup(
            input({{"DnsServer", "127.0.0.1"}, {"Port", std::to_string(dns.port())}, {"QueryName", name}}, loopback));
    };
    CheckResult known = ask("web.keel.test");
    ASSERT_TRUE(known.ran) << known.error;
    EXPECT_EQ(known.values.at(0), "ok");
    EXPECT_EQ(known.values.at(2), "127.0.0.42");
    CheckResult refused = ask("other.keel.test");
    ASSERT_TRUE(refused.ran) << refused.error;
    EXPECT_EQ(refused.values.at(0), "refused");
    EXPECT_EQ(refused.values.at(2), "");

    EXPECT_FALSE(ask("bad..name").ran);
    EXPECT_FALSE(ask(std::string(64, 'a') + ".test").ran) << "a label longer than 63 bytes";
    CheckResult silent = checks::dnsLookup(input({{"DnsServer", "127.0.0.1"}, {"Port", std::to_string(closedPort())},
                                                  {"QueryName", "web.keel.test"}}, loopback,
                                                 std::chrono::milliseconds(300)));
    EXPECT_FALSE(silent.ran);
}

TEST(Checks, PingAnswersOrSaysItIsNotPermitted)
{
    CheckResult result = checks::ping(input({{"HostName", "127.0.0.1"}, {"PacketCount", "2"}, {"Timeout", "500"}}, loopback));
    if (result.ran) {
        EXPECT_EQ(result.values.at(0), "0") << "loopback answers every echo";
    } else {
        EXPECT_NE(result.error.find("not permitted"), std::string::npos) << result.error;
    }
}

TEST(Checks, LocalFiguresOnlyForThisMachine)
{
    for (auto check : {&checks::cpuUsage, &checks::memoryUsage}) {
        CheckResult here = check(input({{"HostName", "127.0.0.1"}}, loopback));
        ASSERT_TRUE(here.ran) << here.error;
        int percent = std::stoi(here.values.at(0));
        EXPECT_GE(percent, 0);
        EXPECT_LE(percent, 100);
        EXPECT_FALSE(check(input({{"HostName", "192.0.2.1"}}, loopback)).ran);
    }
    EXPECT_TRUE(checks::diskSpace(input({{"Drive", "/"}}, loopback)).ran);
    EXPECT_FALSE(checks::diskSpace(input({{"Drive", "/no/such/mount"}}, loopback)).ran);
    CheckResult self = checks::processCount(input({{"ProcessName", "server_engine_t"}}, loopback));
    ASSERT_TRUE(self.ran);
    EXPECT_GE(std::stoi(self.values.at(0)), 1) << "this test program itself (others may run it too)";
    EXPECT_EQ(checks::processCount(input({{"ProcessName", "no-such-process"}}, loopback)).values.at(0), "0");
    CheckResult lo = checks::interfaceTraffic(input({{"Interface", "lo"}}, loopback));
    ASSERT_TRUE(lo.ran) << lo.error;
    EXPECT_EQ(lo.values.size(), 2u);
    EXPECT_FALSE(checks::interfaceTraffic(input({{"Interface", "nosuch0"}}, loopback)).ran);
    EXPECT_FALSE(checks::interfaceNames().empty());
    EXPECT_NE(std::find(checks::mountPoints().begin(), checks::mountPoints().end(), "/"), checks::mountPoints().end());
}

TEST(Checks, EveryKindReturnsItsNamedValues)
{
    LoopbackTcpServer listening(LoopbackTcpServer::http(200));
    for (const char *id : {"2", "3", "4", "5", "6", "7", "8"}) {
        const MonitorKind *kind = monitorkinds::find(id);
        ASSERT_NE(kind, nullptr) << id;
        CheckResult result = kind->check(input({{"HostName", "127.0.0.1"}, {"Port", std::to_string(listening.port())},
                                                {"ProcessName", "init"}, {"Interface", "lo"}}, loopback));
        ASSERT_TRUE(result.ran) << id << ": " << result.error;
        EXPECT_EQ(result.values.size(), kind->returns.size()) << id;
    }
    EXPECT_EQ(monitorkinds::find("99"), nullptr);
}
