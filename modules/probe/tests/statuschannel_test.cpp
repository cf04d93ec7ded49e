// The probe channel client against a loopback responder: the frame on the
// wire, the endpoint rules, and each way an exchange can fail.

#include <chrono>

#include <gtest/gtest.h>

#include "frame/localtext.h"
#include "modules/probe/monitorlibrary.h"
#include "modules/probe/statuschannel.h"
#include "modules/probe/tests/proberesponder.h"
#include "services/types/elementobj.h"
#include "services/types/monitorobj.h"

namespace {

using namespace std::chrono_literals;

CStatusChannel Channel(int port, std::chrono::milliseconds exchange = 2000ms)
{
    CStatusChannel::Limits limits;
    limits.connect = 500ms;
    limits.exchange = exchange;
    return CStatusChannel({QStringLiteral("127.0.0.1"), port}, limits);
}

TEST(StatusChannel, EndpointRules)
{
    CStatusChannel::Endpoint endpoint;
    EXPECT_FALSE(CStatusChannel::EndpointFrom("", "9000", endpoint).isEmpty());
    EXPECT_FALSE(CStatusChannel::EndpointFrom("0", "9000", endpoint).isEmpty());
    EXPECT_FALSE(CStatusChannel::EndpointFrom("localhost", "9000", endpoint).isEmpty()) << "no name lookup";
    EXPECT_FALSE(CStatusChannel::EndpointFrom("127.1", "9000", endpoint).isEmpty()) << "dotted quads only";
    for (const char *port : {"-5", "abc", "", "0", "70000"}) {
        ASSERT_TRUE(CStatusChannel::EndpointFrom("127.0.0.1", port, endpoint).isEmpty());
        EXPECT_EQ(endpoint.port, CStatusChannel::DefaultPort) << port;
    }
    ASSERT_TRUE(CStatusChannel::EndpointFrom(" 127.0.0.2 ", "9000;", endpoint).isEmpty());
    EXPECT_EQ(endpoint.address, QStringLiteral("127.0.0.2"));
    EXPECT_EQ(endpoint.port, 9000);
}

TEST(StatusChannel, FieldsFollowTheDeviceType)
{
    MonitorKind kind;
    kind.probeNames = {{"U_ExecuteAssemblyName", "ulib"}, {"U_ExecuteFunc", "ufunc"}, {"N_ExecuteAssemblyName", "nlib"},
                       {"N_ExecuteFunc", "nfunc"}, {"extraunixfunc", "ulist"}, {"extrantfunc", ""}};
    MonitorObj monitor;
    monitor.set(MonitorObj::seid, "root");
    monitor.set(MonitorObj::Id, "m1");
    monitor.set(MonitorObj::MonitorType, "12");
    ElementObj device;
    device.set(ElementObj::ID, "d1");
    device.set(ElementObj::Type, "4");
    EXPECT_EQ(CStatusChannel::TestFields(monitor, device, kind),
              (std::vector<std::string>{"root", "d1", "m1", "12", "ulib", "ufunc"}));
    for (const char *type : {"04", "4 ", "3"}) {
        device.set(ElementObj::Type, type);
        EXPECT_EQ(CStatusChannel::TestFields(monitor, device, kind)[4], "nlib") << type;
        // No NT list function: the Unix one serves.
        EXPECT_EQ(CStatusChannel::ListFields(device, kind), (std::vector<std::string>{"d1", "nlib", "ulist"}));
    }
}

TEST(StatusChannel, ListEntriesSkipEmptyAndOverlongOnes)
{
    const std::string chinese = toLocal(QStringLiteral("磁盘"));
    const std::string overlong(CStatusChannel::EntryBytes + 1, 'x');
    EXPECT_EQ(CStatusChannel::ListEntries("a$b$$" + overlong + "$" + chinese + "$tail</end>"),
              (QStringList{"a", "b", QStringLiteral("磁盘")}));
}

TEST(StatusChannel, ExchangeSendsTheFrameAndNeedsTheEndMark)
{
    ProbeResponder responder("C:$D:$</end>");
    CStatusChannel channel = Channel(responder.Port());
    EXPECT_EQ(channel.Exchange("DL", {"d1", "lib", toLocal(QStringLiteral("列表"))}), QString());
    EXPECT_EQ(CStatusChannel::ListEntries(channel.Reply()), (QStringList{"C:", "D:"}));
    ASSERT_EQ(responder.Frames().size(), 1u);
    EXPECT_EQ(responder.Frames()[0], "DL0012d1$lib$" + toLocal(QStringLiteral("列表")) + "$") << "length in bytes";

    EXPECT_FALSE(channel.Exchange("DT", {"a$b"}).isEmpty()) << "a field holding the separator is refused";
    EXPECT_FALSE(channel.Exchange("DT", {std::string(10000, 'x')}).isEmpty()) << "longer than four digits allow";
    EXPECT_EQ(responder.Frames().size(), 1u) << "nothing was sent for refused frames";
}

TEST(StatusChannel, EachFailureIsReportedWithinTheLimits)
{
    const int refusing = freeLoopbackPort();
    EXPECT_FALSE(Channel(refusing).Exchange("DT", {"x"}).isEmpty()) << "refused";

    ProbeResponder cut("C:$D:$</en");
    CStatusChannel channel = Channel(cut.Port());
    EXPECT_FALSE(channel.Exchange("DL", {"x"}).isEmpty()) << "the peer closed before the end mark";
    EXPECT_EQ(channel.Reply(), "C:$D:$</en");

    ProbeResponder silent("", ProbeResponder::After::Hold);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(Channel(silent.Port(), 300ms).Exchange("DT", {"x"}).isEmpty()) << "silent";
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s) << "the exchange limit ends the wait";

    ProbeResponder endless(std::string(4096, 'y'), ProbeResponder::After::Hold);
    CStatusChannel::Limits small;
    small.replyBytes = 1024;
    CStatusChannel capped({QStringLiteral("127.0.0.1"), endless.Port()}, small);
    EXPECT_FALSE(capped.Exchange("DT", {"x"}).isEmpty()) << "a reply past the cap";
    EXPECT_LE(capped.Reply().size(), 1024u);
}

} // namespace
