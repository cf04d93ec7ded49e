#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include <sys/stat.h>

#include "testclient.h"
#include "testsupport/tempfolder.h"
#include "orb/net/mtxreply.h"
#include "orb/net/mtxrequest.h"
#include "orb/wire/codepage.h"
#include "orb/wire/mtxarray.h"
#include "orb/net/orbservice.h"
#include "orb/wire/mtxstring.h"

using namespace std::chrono_literals;
using testing_support::FakeTcpServer;
using testing_support::Peer;
using testing_support::TestClient;

namespace {

// A server that answers every request with the given bytes, in the given
// pieces, then keeps the connection open until the client closes it: a
// client that does not see the end of the reply runs into its time-out.
FakeTcpServer::Behaviour replyWith(std::string reply, std::vector<std::size_t> pieces = {})
{
    return [reply = std::move(reply), pieces = std::move(pieces)](Peer &peer) {
        if (peer.readRequest().empty())
            return;
        peer.sendPieces(reply, pieces);
        peer.waitForClientClose();
    };
}

struct Outcome
{
    std::string code;
    std::string message;
    std::string response;
};

Outcome callOnce(TestClient &test, const char *initialResponse = "")
{
    MtxStatus status;
    MtxString response(initialResponse);
    MtxString argument("x");
    status = test.client->invoke("m", {&argument}, &response);
    return {status.getCode(), status.getMessage(), response.getValue()};
}


} // namespace

TEST(Call, ReplyIsCompleteWhateverTheSizeOfItsLastPiece)
{
    struct Case
    {
        std::size_t length;
        std::vector<std::size_t> pieces;
    };
    const std::vector<Case> cases = {
        {2048 * 2, {2048, 2048}},          // last piece exactly 2048
        {2048 * 2 + 1, {2048, 2048, 1}},   // last piece of 1 byte
        {2048 * 2 + 7, {2048, 2048, 7}},
        {2048 + 14, {2048, 14}},           // last piece of 14 bytes
        {2048 + 15, {2048, 15}},
        {300, {9, 291}},                   // opening tag arrives alone first
        {140, {}},                         // a short reply in one piece
    };
    for (const Case &c : cases) {
        const std::string reply = testing_support::paddedReply(c.length, "hello");
        ASSERT_EQ(reply.size(), c.length);
        FakeTcpServer server(replyWith(reply, c.pieces));
        TestClient test(server.port());
        const Outcome outcome = callOnce(test);
        EXPECT_EQ(outcome.code, "1") << "length " << c.length << ": " << outcome.message;
        EXPECT_EQ(outcome.response, "hello") << "length " << c.length;
    }
}

TEST(Call, ExceptionReplyFillsStatusAndLeavesResponse)
{
    FakeTcpServer server(replyWith("<pro-rep><service-name>S</service-name><method-name>m</method-name>"
                                   "<exception><code>E_DENIED</code><message>not allowed</message></exception>"
                                   "</pro-rep>"));
    TestClient test(server.port());
    const Outcome outcome = callOnce(test, "keep");
    EXPECT_EQ(outcome.code, "E_DENIED");
    EXPECT_EQ(outcome.message, "not allowed");
    EXPECT_EQ(outcome.response, "keep");
}

TEST(Call, ClientSideFailuresAreReportedNeverSucceed)
{
    const std::string busy = orb::fromUtf8("服务器忙，请重试！");
    struct Case
    {
        const char *what;
        FakeTcpServer::Behaviour behaviour;
        std::vector<std::string> messages; // any of these
    };
    const std::vector<Case> cases = {
        {"malformed reply", replyWith("<pro-rep><response>x</respons></pro-rep>"),
         {"Server reply is not well-formed XML"}},
        {"reply failing the eighth-byte test",
         [](Peer &peer) {
             peer.readRequest();
             peer.send("<busy>server busy</busy>");
         },
         {busy}},
        {"empty reply",
         [](Peer &peer) { peer.readRequest(); },
         {"Server Not return value"}},
        {"silent peer", replyWith(""), {"Server Connection Error"}},
        {"peer that closes at once", [](Peer &) {},
         {"Server Not return value", "Server Connection Error", "Server Not Found Error"}},
    };
    for (const Case &c : cases) {
        FakeTcpServer server(c.behaviour);
        TestClient test(server.port());
        OrbClient::Timeouts timeouts = testing_support::fastTimeouts();
        timeouts.receive = 100ms;
        test.client->setTimeouts(timeouts);
        const Outcome outcome = callOnce(test, "keep");
        EXPECT_EQ(outcome.code, "CLIENT_EXCEPTION") << c.what;
        EXPECT_NE(std::find(c.messages.begin(), c.messages.end(), outcome.message), c.messages.end())
            << c.what << ": " << outcome.message;
        EXPECT_EQ(outcome.response, "keep") << c.what;
    }
}

TEST(Call, NoReplyBytesCrashTheClient)
{
    std::vector<std::string> replies = {
        "p", "</pro-rep>", "<pro-rep>", "<pro-rep></pro-rep>", "<pro-rep><response>",
        std::string("<pro-rep>\0<response>a</response></pro-rep>", 42),
        "<pro-rep><response><a>&bogus;</a></response></pro-rep>",
        "<?xml version=\"1.0\"?><pro-rep><response>ok</response></pro-rep>",
        "<pro-rep><response>" + std::string(5000, '\xB0') + "</response></pro-rep>",
        "<pro-rep><response>" + std::string(20000, '<') + "</response></pro-rep>",
    };
    std::string deep = "<pro-rep><response>";
    for (int i = 0; i < 5000; ++i)
        deep += "<a>";
    for (int i = 0; i < 5000; ++i)
        deep += "</a>";
    replies.push_back(deep + "</response></pro-rep>");
    std::mt19937 random(20240611);
    for (int i = 0; i < 20; ++i) {
        std::string bytes(1 + random() % 3000, '\0');
        for (char &byte : bytes)
            byte = static_cast<char>(random());
        replies.push_back(bytes + "</pro-rep>");
    }

    MtxStatus status;
    MtxString response;
    MtxReply reply(&status, &response);
    for (const std::string &text : replies) {
        status.set("1", "SUCCEED");
        reply.decode(text);
    }

    // Character references shuffled among the markup that hides them, which
    // the decoder resolves in place before parsing.
    const char *const fragments[] = {"&#", "&#x", "4E2D", "20013", "D800", "1F600", "99999999999", ";",
                                     "<![CDATA[", "]]>", "<!--", "-->", "<?p", "?>", "<a b=\"", "\">",
                                     "</a>", "&amp;", "\xB0", "\xD6\xD0", "x"};
    for (int i = 0; i < 500; ++i) {
        std::string text = "<pro-rep><response>";
        for (int pieces = static_cast<int>(random() % 40); pieces > 0; --pieces)
            text += fragments[random() % std::size(fragments)];
        status.set("1", "SUCCEED");
        reply.decode(text + "</response></pro-rep>");
        EXPECT_TRUE(status.succeeded() || std::string(status.getCode()) == "CLIENT_EXCEPTION") << text;
    }

    std::atomic<std::size_t> index = 0;
    FakeTcpServer server([&replies, &index](Peer &peer) {
        peer.readRequest();
        peer.send(replies[index % replies.size()]);
    });
    TestClient test(server.port());
    OrbClient::Timeouts timeouts = testing_support::fastTimeouts();
    timeouts.receive = 200ms;
    test.client->setTimeouts(timeouts);
    for (; index < replies.size(); ++index) {
        const Outcome outcome = callOnce(test);
        EXPECT_FALSE(outcome.code.empty());
    }
}

TEST(Call, RequestLargerThanTheOldBufferIsSentWhole)
{
    std::string received;
    FakeTcpServer server(replyWith(testing_support::stringReply("m", "ok")));
    TestClient test(server.port());
    std::vector<std::unique_ptr<MtxString>> values;
    MtxRequest request("S", "m");
    for (int i = 0; i < 40; ++i) {
        values.push_back(std::make_unique<MtxString>(std::string(1000, static_cast<char>('a' + i % 26)).c_str()));
        request.addArg(values.back().get());
    }
    std::string text;
    request.setSessionID("");
    request.write(text);
    ASSERT_GT(text.size(), 40000u);

    MtxStatus status;
    MtxString response;
    MtxReply reply(&status, &response);
    test.client->call(request, reply);
    EXPECT_STREQ(status.getCode(), "1") << status.getMessage();
    EXPECT_STREQ(response.getValue(), "ok");
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0], "Orb.MtxRequest\r\n" + text + "\r\n");
}

TEST(Call, DebugDumpsOnlyWhenAFolderIsNamedAndNeverFailTheCall)
{
    const std::string reply = testing_support::stringReply("m", "ok");
    FakeTcpServer server(replyWith(reply));
    TestClient test(server.port());
    const TempFolder temp;
    const std::filesystem::path folder = temp.path();

    ::unsetenv("KEELMON_DUMP_DIR");
    EXPECT_EQ(callOnce(test).code, "1");
    EXPECT_FALSE(std::filesystem::exists(folder / "a.xml"));

    ::setenv("KEELMON_DUMP_DIR", folder.c_str(), 1);
    EXPECT_EQ(callOnce(test).code, "1");
    const std::string request = server.requests().back();
    EXPECT_EQ("Orb.MtxRequest\r\n" + readFile(folder / "a.xml") + "\r\n", request);
    EXPECT_EQ(readFile(folder / "b.xml"), reply);
    struct stat info{};
    ASSERT_EQ(::stat((folder / "a.xml").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    ::setenv("KEELMON_DUMP_DIR", (folder / "missing" / "deeper").c_str(), 1);
    const Outcome outcome = callOnce(test);
    EXPECT_EQ(outcome.code, "1");
    EXPECT_EQ(outcome.response, "ok");

    ::unsetenv("KEELMON_DUMP_DIR");
}

TEST(Call, WithoutServerOrClientTheCallReportsNotFound)
{
    FakeTcpServer refusing(nullptr, false);
    TestClient test(refusing.port());
    const Outcome outcome = callOnce(test, "keep");
    EXPECT_EQ(outcome.code, "CLIENT_EXCEPTION");
    EXPECT_EQ(outcome.message, "Server Not Found Error");
    EXPECT_EQ(outcome.response, "keep");
    EXPECT_GE(test.discovery.received(), 1) << "a failed send looks for the server";

    OrbService lonely("ElementService");
    MtxStatus status = lonely.invoke("findElementTree", {});
    EXPECT_STREQ(status.getCode(), "CLIENT_EXCEPTION");
    EXPECT_STREQ(status.getMessage(), "Server Not Found Error");
}

// invoke gives a response without a factory its service; a bare service
// object knows no type, so framework items still come out typed.
TEST(Call, ResponseReadThroughABareServiceKeepsFrameworkItems)
{
    FakeTcpServer server(replyWith("<pro-rep><service-name>S</service-name><method-name>m</method-name><response>"
                                   "<MtxArray xsi-type=\"Orb.MtxArray\"><MtxString xsi-type=\"Orb.MtxString\">a"
                                   "</MtxString></MtxArray></response></pro-rep>"));
    TestClient test(server.port());
    OrbService service("S");
    service.setClient(test.client.get());
    MtxArray response;
    ASSERT_TRUE(service.invoke("m", {}, &response).succeeded());
    EXPECT_EQ(response.getFactory(), &service);
    ASSERT_EQ(response.size(), 1u);
    const auto *item = dynamic_cast<const MtxString *>(response.at(0));
    ASSERT_NE(item, nullptr);
    EXPECT_STREQ(item->getValue(), "a");

    MtxArray own;
    own.setFactory(&frameworkFactory());
    ASSERT_TRUE(service.invoke("m", {}, &own).succeeded());
    EXPECT_EQ(own.getFactory(), &frameworkFactory()) << "a factory the caller set stays";
}
