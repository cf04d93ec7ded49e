#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "testsupport/fakeserver.h"
#include "testsupport/referenceserver.h"
#include "testsupport/tempfolder.h"
#include "testsupport/testclient.h"
#include "orb/wire/codepage.h"
#include "orb/wire/mtxtree.h"
#include "services/types/elementobj.h"
#include "services/types/monitorobj.h"
#include "services/types/tablefactory.h"
#include "tools/orbcall/orbcallcommand.h"

using testing_support::FakeTcpServer;
using testing_support::FakeUdpResponder;
using testing_support::Peer;

namespace {

struct Result
{
    int exit;
    std::string out;
    std::string err;
};

// Runs the tool in this process against loopback only, with service
// libraries from folder (none when empty).
Result runTool(std::vector<std::string> arguments, const std::string &folder = "/nonexistent")
{
    static FakeUdpResponder silentDiscovery;
    const std::vector<std::string> fixed = {"--discovery-target", "127.0.0.1", "--discovery-port",
                                            std::to_string(silentDiscovery.port()), "--timeout", "0.5"};
    arguments.insert(arguments.begin(), fixed.begin(), fixed.end());
    std::ostringstream out;
    std::ostringstream err;
    const int exit = orbcall::run(arguments, out, err, folder);
    return {exit, out.str(), err.str()};
}

FakeTcpServer::Behaviour answer(std::string reply)
{
    return [reply = std::move(reply)](Peer &peer) {
        const std::string request = peer.readRequest();
        if (testing_support::methodOf(request) == "login")
            peer.send(testing_support::stringReply("login", ""));
        else if (!request.empty())
            peer.send(reply);
    };
}


} // namespace

TEST(OrbCall, BadUsageExits64WithAMessage)
{
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"SysService"},
        {"--frobnicate", "S", "m"},
        {"--port", "70000", "S", "m"},
        {"--user", "u", "S", "m"},
        {"S", "m", "@/nonexistent/arg.xml"},
        {"--response", "Orb.NoSuchType", "S", "m"},
        {"S", "m", std::string(1024, 'x')},
    };
    for (const auto &arguments : cases) {
        const Result result = runTool(arguments);
        EXPECT_EQ(result.exit, 64) << result.err;
        EXPECT_NE(result.err.find("orbcall: "), std::string::npos);
        EXPECT_NE(result.err.find("usage: orbcall"), std::string::npos);
        EXPECT_TRUE(result.out.empty());
    }
    const Result help = runTool({"--help"});
    EXPECT_EQ(help.exit, 0);
    EXPECT_NE(help.out.find("usage: orbcall"), std::string::npos);
}

TEST(OrbCall, PrintsResponseAsReceivedAndTheExactRequestBytes)
{
    FakeTcpServer server(answer("<pro-rep><service-name>ElementService</service-name><method-name>find"
                                "</method-name><response><MtxArray xsi-type=\"Orb.MtxArray\"><MtxString "
                                "xsi-type=\"Orb.MtxString\">a\xD6\xD0</MtxString></MtxArray></response></pro-rep>"));
    const TempFolder folder;
    const std::string file = folder.write("arg.xml", "<value xsi-type=\"Orb.MtxStatus\"><code>7</code>"
                                                "<message>m</message></value>");
    const Result result = runTool({"--port", std::to_string(server.port()), "--show-request", "ElementService",
                                   "find", "-1", "@" + file, "@@x"});
    EXPECT_EQ(result.exit, 0) << result.err;
    EXPECT_EQ(result.out, "<response><MtxArray xsi-type=\"Orb.MtxArray\"><MtxString xsi-type=\"Orb.MtxString\">a"
                          "\xE4\xB8\xAD</MtxString></MtxArray></response>\n") << "printed in UTF-8";
    const std::string expectedRequest =
        "Orb.MtxRequest\r\n<pro-req><service-name>ElementService</service-name><method-name>find</method-name>"
        "<trans-iD>0</trans-iD><session-iD></session-iD>"
        "<args xsi-type=\"com.Velmora.Orb.MtxRequest\"><value xsi-type=\"Orb.MtxString\">-1</value></args>"
        "<args xsi-type=\"com.Velmora.Orb.MtxRequest\"><value xsi-type=\"Orb.MtxStatus\"><code>7</code>"
        "<message>m</message></value></args>"
        "<args xsi-type=\"com.Velmora.Orb.MtxRequest\"><value xsi-type=\"Orb.MtxString\">@x</value></args>"
        "</pro-req>\r\n\r\n\r\n";
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0], expectedRequest);
    EXPECT_EQ(result.err, expectedRequest + "status: 1 SUCCEED\n");
}

TEST(OrbCall, TypedResponseIsPrintedAsThatTypeWritesItself)
{
    FakeTcpServer server(answer("<pro-rep><response><MtxArray><MtxString xsi-type=\"Orb.MtxString\">a&amp;b"
                                "</MtxString></MtxArray></response></pro-rep>"));
    const Result result =
        runTool({"--port", std::to_string(server.port()), "--response", "Orb.MtxArray", "S", "m"});
    EXPECT_EQ(result.exit, 0) << result.err;
    EXPECT_EQ(result.out, "<response xsi-type=\"Orb.MtxArray\"><MtxString xsi-type=\"Orb.MtxString\">a&amp;b"
                          "</MtxString></response>\n");
}

TEST(OrbCall, LoginCarriesTheSessionAndExitStatusFollowsTheOutcome)
{
    // Replies come in the code page.
    FakeTcpServer server(answer(orb::fromUtf8("<pro-rep><exception><code>E_NOUSER</code><message>用户不存在"
                                              "</message></exception></pro-rep>")));
    const Result result = runTool({"--port", std::to_string(server.port()), "--user", "operator", "--password",
                                   "secret", "SecurityService", "selectUser", "x"});
    EXPECT_EQ(result.exit, 1);
    EXPECT_TRUE(result.out.empty());
    EXPECT_NE(result.err.find("status: E_NOUSER 用户不存在\n"), std::string::npos) << result.err;
    ASSERT_EQ(server.requests().size(), 2u);
    EXPECT_EQ(testing_support::methodOf(server.requests()[0]), "login");
    EXPECT_EQ(testing_support::sessionOf(server.requests()[1]), "operator");

    FakeTcpServer refusing(nullptr, false);
    const Result failed = runTool({"--timeout", "0.02", "--port", std::to_string(refusing.port()), "S", "m"});
    EXPECT_EQ(failed.exit, 2);
    EXPECT_EQ(failed.err, "status: CLIENT_EXCEPTION Server call timed out (20 ms)\n")
        << "connection refused, and discovery cut short by the call's limit";
}

TEST(OrbCall, TimeoutLimitsTheWholeCallAgainstATricklingServer)
{
    // One byte every 20 ms for up to 2 s: no single receive ever waits long.
    FakeTcpServer server([](Peer &peer) {
        if (peer.readRequest().empty())
            return;
        const std::string reply = testing_support::stringReply("m", std::string(1000, 'x'));
        for (std::size_t i = 0; i < 100; ++i) {
            peer.send(reply.substr(i, 1));
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    const auto start = std::chrono::steady_clock::now();
    const Result result = runTool({"--timeout", "0.3", "--port", std::to_string(server.port()), "S", "m"});
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(result.exit, 2);
    EXPECT_EQ(result.err, "status: CLIENT_EXCEPTION Server call timed out (300 ms)\n");
    EXPECT_LT(took, std::chrono::seconds(2));
}

TEST(OrbCall, DomainTypesComeFromServiceLibrariesBesideTheTool)
{
    const char *folder = std::getenv("KEEL_BIN_DIR");
    ASSERT_TRUE(folder != nullptr && std::filesystem::exists(std::string(folder) + "/libInventorySvc.so"))
        << "libInventorySvc.so not found in KEEL_BIN_DIR: run the test through ctest after a full build";
    FakeTcpServer server(answer(testing_support::stringReply("addElement", "ok")));
    const TempFolder temp;
    const std::string file = temp.write("element.xml", "<value xsi-type=\"Orb.ElementObj\"></value>");
    const Result result = runTool({"--port", std::to_string(server.port()), "--show-request", "ElementService",
                                   "addElement", "@" + file},
                                  folder);
    EXPECT_EQ(result.exit, 0) << result.err;
    EXPECT_NE(result.err.find("<value xsi-type=\"Orb.ElementObj\">"), std::string::npos) << result.err;

    // A library of the type table that is present but broken is named and skipped.
    temp.write("libMapSvc.so", "not a library");
    const Result broken = runTool({"--port", std::to_string(server.port()), "S", "m"}, temp.path());
    EXPECT_EQ(broken.exit, 0) << broken.err;
    EXPECT_NE(broken.err.find("orbcall: cannot load the service library libMapSvc.so"), std::string::npos)
        << broken.err;
    EXPECT_NE(broken.err.find("the types of TPService are unknown"), std::string::npos) << broken.err;

    const Result unknown = runTool({"--port", std::to_string(server.port()), "S", "m", "@" + file});
    EXPECT_EQ(unknown.exit, 64);
    EXPECT_NE(unknown.err.find("unknown wire type Orb.ElementObj"), std::string::npos) << unknown.err;
}

// An @FILE record goes out with its arrays: a demo monitor read, sent back
// whole through the tool and read again is unchanged.
TEST(OrbCall, RecordFromAFileKeepsItsArrays)
{
    const char *folder = std::getenv("KEEL_BIN_DIR");
    ASSERT_TRUE(folder != nullptr) << "run the test through ctest after a full build";
    ReferenceServer server;
    ASSERT_TRUE(server.start()) << server.error();
    TestClient client(server.port(), server.discoveryPort());
    ASSERT_TRUE(client.login("admin", ReferenceServer::AdminPassword).succeeded());
    MtxTree tree(std::make_unique<ElementObj>());
    tree.setFactory(&domainFactory());
    ASSERT_TRUE(client.callText("ElementService", "findElementTree", {"-1"}, &tree).succeeded());
    std::vector<const MtxTree *> pending{&tree};
    std::string monitorId;
    while (!pending.empty() && monitorId.empty()) {
        const MtxTree *node = pending.back();
        pending.pop_back();
        if (const auto &element = static_cast<const ElementObj &>(node->node()); element.get(ElementObj::Type) == "5")
            monitorId = element.get(ElementObj::ID);
        for (std::size_t i = 0; i < node->childCount(); ++i)
            pending.push_back(node->child(i));
    }
    ASSERT_FALSE(monitorId.empty()) << "the demo has monitors";
    auto select = [&] {
        MonitorObj monitor;
        monitor.setFactory(&domainFactory());
        EXPECT_TRUE(client.callText("ElementService", "selectMonitorObj", {monitorId}, &monitor).succeeded());
        return monitor;
    };
    MonitorObj before = select();
    ASSERT_GT(before.params().size(), 0u);
    ASSERT_GT(before.condition().errorItems().size(), 0u);
    std::string xml;
    before.toXML(xml, "value", 1);
    const TempFolder temp;
    const std::string file = temp.write("monitor.xml", orb::toUtf8(xml));

    const Result result = runTool({"--port", std::to_string(server.port()), "--user", "admin", "--password",
                                   ReferenceServer::AdminPassword, "ElementService", "updateMonitor", "@" + file},
                                  folder);
    EXPECT_EQ(result.exit, 0) << result.err;
    const MonitorObj after = select();
    std::string again;
    after.toXML(again, "value", 1);
    EXPECT_EQ(again, xml);
}
