#include <gtest/gtest.h>

#include "orb/wire/mtxstring.h"
#include "server/core/replywriter.h"
#include "server/core/requestreader.h"
#include "server/core/serveroptions.h"
#include "services/types/elementobj.h"
#include "services/types/tablefactory.h"
#include "testsupport/servertest.h"

using requestreader::Frame;

TEST(RequestFrame, FindsTheEndAcrossPiecesAndRejectsOtherProtocols)
{
    const std::string request = "Orb.MtxRequest\r\n<pro-req><service-name>S</service-name></pro-req>\r\n\r\n\r\n";
    EXPECT_EQ(requestreader::frame(request), Frame::Complete);
    EXPECT_EQ(requestreader::frame(request.substr(0, 5)), Frame::Incomplete);
    EXPECT_EQ(requestreader::frame("GET / HTTP/1.1\r\n"), Frame::Malformed);
    EXPECT_EQ(requestreader::frame("Orb.X"), Frame::Malformed);
    // The end tag split between two reads is still found when only the new part is scanned.
    std::size_t cut = request.find("</pro-req>") + 4;
    EXPECT_EQ(requestreader::frame(request.substr(0, cut)), Frame::Incomplete);
    EXPECT_EQ(requestreader::frame(request, cut), Frame::Complete);
}

TEST(RequestReader, ReadsEnvelopeAndTypedArguments)
{
    std::string text = "Orb.MtxRequest\r\n<pro-req><service-name>ElementService</service-name>"
                       "<method-name>addElement</method-name><trans-iD>0</trans-iD><session-iD>admin</session-iD>"
                       "<args xsi-type=\"com.Velmora.Orb.MtxRequest\"><value xsi-type=\"Orb.ElementObj\"><ID>e1</ID>"
                       "<Text>" + local("核心路由器") + "</Text><MtxArray xsi-type=\"Orb.MtxArray\"><ParamObj xsi-type=\"Orb.ParamObj\">"
                       "<ParamName>a</ParamName></ParamObj></MtxArray></value></args>"
                       "<args xsi-type=\"com.Velmora.Orb.MtxRequest\"><value xsi-type=\"Orb.MtxString\">x</value></args>"
                       "</pro-req>\r\n\r\n\r\n";
    OrbRequest request;
    std::string error;
    ASSERT_TRUE(requestreader::read(text, domainFactory(), request, error)) << error;
    EXPECT_EQ(request.service, "ElementService");
    EXPECT_EQ(request.method, "addElement");
    EXPECT_EQ(request.session, "admin");
    ASSERT_EQ(request.args.size(), 2u);
    auto *element = dynamic_cast<ElementObj *>(request.args[0].get());
    ASSERT_NE(element, nullptr);
    EXPECT_EQ(element->get(ElementObj::Text), local("核心路由器"));
    EXPECT_EQ(element->params().size(), 1u);
    EXPECT_STREQ(dynamic_cast<MtxString &>(*request.args[1]).getValue(), "x");

    for (const std::string &bad : {std::string("Orb.MtxRequest\r\n<pro-req><service-name>S</service-name></pro-req>"),
                                   std::string("Orb.MtxRequest\r\n<other></other><pro-req></pro-req>"),
                                   std::string("Orb.MtxRequest\r\n<pro-req><service-name>S</service-name><method-name>m"
                                               "</method-name><args>no value</args></pro-req>"),
                                   std::string("Orb.MtxRequest\r\n<pro-req><service-name>a&b</service-name></pro-req>")}) {
        OrbRequest ignored;
        EXPECT_FALSE(requestreader::read(bad, domainFactory(), ignored, error)) << bad;
    }
}

TEST(ReplyWriter, EndsWithTheRootTagTheClientLooksFor)
{
    MtxString text;
    text.setValue("a<b");
    ElementObj element;
    element.set(ElementObj::ID, "e1");
    const std::string replies[] = {
        replywriter::response("S", "m", &text),
        replywriter::response("S", "m", &element),
        replywriter::response("S", "m", nullptr),
        replywriter::exception("S", "m", "CODE", "一个很长很长很长很长很长很长很长很长很长很长很长很长的错误消息文字"),
    };
    for (const std::string &reply : replies) {
        ASSERT_GE(reply.size(), 10u);
        EXPECT_EQ(reply.substr(reply.size() - 10), "</pro-rep>");
        EXPECT_EQ(reply.rfind("<pro-rep>", 0), 0u) << "the root must be the first thing in the text";
    }
    EXPECT_NE(replies[0].find("<response>a&lt;b</response>"), std::string::npos);
    EXPECT_NE(replies[1].find("<response><ElementObj xsi-type=\"Orb.ElementObj\"><SEID></SEID><ID>e1</ID>"),
              std::string::npos);
    EXPECT_NE(replies[2].find("<response>SUCCEED</response>"), std::string::npos);
    std::string message = replies[3].substr(replies[3].find("<message>") + 9);
    message = message.substr(0, message.find("</message>"));
    EXPECT_LE(message.size(), 63u) << "the client keeps 63 bytes of a message";
}

TEST(ServerOptions, ParsesAndRefusesWithReasons)
{
    ServerOptions options;
    std::string error;
    bool help = false;
    ASSERT_TRUE(options.parse({"--port", "9000", "--db", "/tmp/x.db", "--demo", "--listen", "0.0.0.0",
                               "--log-level", "debug", "--idle-timeout", "60", "--node", "east-1", "--lease-seconds", "45"},
                              error, help))
        << error;
    EXPECT_EQ(options.port, 9000);
    EXPECT_EQ(options.discoveryPort, 8899);
    EXPECT_TRUE(options.demo);
    EXPECT_EQ(options.limits.idleTimeout, std::chrono::minutes(60));
    EXPECT_EQ(options.node, "east-1");
    EXPECT_EQ(options.leaseSeconds, 45);
    for (std::vector<std::string> bad : {std::vector<std::string>{"--port", "70000"}, {"--port"}, {"--bogus", "1"},
                                         {"--idle-timeout", "10"}, {"--admin-password", "has blank"},
                                         {"--log-level", "loud"}, {"--lease-seconds", "1"}}) {
        ServerOptions fresh;
        EXPECT_FALSE(fresh.parse(bad, error, help)) << bad[0];
        EXPECT_FALSE(error.empty());
    }
}
