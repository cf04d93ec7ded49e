#include <iterator>
#include <random>

#include <gtest/gtest.h>

#include "testclient.h"
#include "orb/net/mtxreply.h"
#include "orb/net/mtxrequest.h"
#include "orb/wire/codepage.h"
#include "orb/wire/xmltext.h"
#include "orb/wire/mtxarray.h"
#include "orb/wire/mtxstatus.h"
#include "orb/wire/mtxstring.h"
#include "orb/wire/mtxusersession.h"

using testing_support::FakeTcpServer;
using testing_support::Peer;
using testing_support::TestClient;

namespace {

const std::string ArgsOpen = "<args xsi-type=\"com.Velmora.Orb.MtxRequest\">";

std::string written(const MtxRequest &request)
{
    std::string text = "left over";
    request.write(text);
    return text;
}

} // namespace

TEST(MtxRequest, LogoffExampleByteForByte)
{
    const MtxString x("x");
    MtxRequest request("SysService", "logoff", {&x});
    request.setSessionID("");
    EXPECT_EQ(written(request),
              "<pro-req><service-name>SysService</service-name><method-name>logoff</method-name>"
              "<trans-iD>0</trans-iD><session-iD></session-iD>"
              "<args xsi-type=\"com.Velmora.Orb.MtxRequest\"><value xsi-type=\"Orb.MtxString\">x</value></args>"
              "</pro-req>\r\n\r\n");
    EXPECT_STREQ(request.getTypeName(), "Orb.MtxRequest");
    EXPECT_STREQ(request.getElementName(), "MtxRequest");
}

TEST(MtxRequest, DefaultsAndZeroArgumentsWriteNoArgsElement)
{
    MtxRequest request("ElementService", "findElementTree");
    EXPECT_STREQ(request.getSessionID(), "0");
    EXPECT_STREQ(request.getTransID(), "0");
    EXPECT_EQ(written(request),
              "<pro-req><service-name>ElementService</service-name><method-name>findElementTree</method-name>"
              "<trans-iD>0</trans-iD><session-iD>0</session-iD></pro-req>\r\n\r\n");
}

TEST(MtxRequest, FrameworkExamplesTravelAsArgumentsInOrder)
{
    MtxStatus status;
    MtxUserSession session;
    session.setUserName("operator");
    MtxArray array;
    array.append(std::make_unique<MtxString>("a"));
    array.append(std::make_unique<MtxString>("b"));
    MtxRequest request("S", "m", {&status, &session, &array});
    request.setSessionID("");

    const std::string expectedArgs =
        ArgsOpen + "<value xsi-type=\"Orb.MtxStatus\"><code>1</code><message>SUCCEED</message></value></args>"
        + ArgsOpen
        + "<value xsi-type=\"Orb.MtxUserSession\"><user-name>operator</user-name><pro-object-iD ID=\"-1\" "
          "type=\"0\" version=\"0\" xsi-type=\"Orb.MtxObjID\"><display-string></display-string></pro-object-iD>"
          "<session-key></session-key></value></args>"
        + ArgsOpen
        + "<value xsi-type=\"Orb.MtxArray\"><MtxString xsi-type=\"Orb.MtxString\">a</MtxString>"
          "<MtxString xsi-type=\"Orb.MtxString\">b</MtxString></value></args>";
    EXPECT_EQ(written(request),
              "<pro-req><service-name>S</service-name><method-name>m</method-name><trans-iD>0</trans-iD>"
              "<session-iD></session-iD>" + expectedArgs + "</pro-req>\r\n\r\n");
}

TEST(MtxRequest, AdoptedArgumentsAreFreedAndMarkupInTextsEscaped)
{
    MtxRequest request("S", "m");
    request.adoptArg(std::make_unique<MtxString>("a<b"));
    request.setSessionID("R&D");
    EXPECT_EQ(request.count(), 1);
    const std::string text = written(request);
    EXPECT_NE(text.find("<session-iD>R&amp;D</session-iD>"), std::string::npos) << text;
    EXPECT_NE(text.find(">a&lt;b</value>"), std::string::npos) << text;
    request.freeArgs();
    EXPECT_EQ(request.count(), 0);
}

TEST(MtxReply, SetClientErrorMarksStatusAndNames)
{
    MtxStatus status;
    MtxString response("keep");
    MtxReply reply(&status, &response);
    reply.setClientError("SysService", "login", "Server Not Found Error");
    EXPECT_STREQ(status.getCode(), "CLIENT_EXCEPTION");
    EXPECT_STREQ(status.getMessage(), "Server Not Found Error");
    EXPECT_STREQ(reply.getServiceName(), "SysService");
    EXPECT_STREQ(reply.getMethodName(), "login");
    EXPECT_STREQ(response.getValue(), "keep");
}

TEST(MtxReply, DecodeFillsResponseOrStatusAndSkipsUnknownChildren)
{
    MtxStatus status;
    MtxString response;
    MtxReply reply(&status, &response);
    EXPECT_TRUE(reply.decode("<pro-rep><service-name>SysService</service-name><extra>z</extra>"
                             "<method-name>findWatchType</method-name><response>hello</response></pro-rep>"));
    EXPECT_STREQ(response.getValue(), "hello");
    EXPECT_STREQ(status.getCode(), "1");
    EXPECT_STREQ(reply.getServiceName(), "SysService");
    EXPECT_STREQ(reply.getMethodName(), "findWatchType");

    MtxString untouched("keep");
    MtxReply failed(&status, &untouched);
    EXPECT_TRUE(failed.decode("<pro-rep><exception><code>E42</code><message>no such user</message></exception>"
                              "</pro-rep>"));
    EXPECT_STREQ(status.getCode(), "E42");
    EXPECT_STREQ(status.getMessage(), "no such user");
    EXPECT_STREQ(untouched.getValue(), "keep");
}

TEST(MtxReply, MalformedTextIsAClientError)
{
    MtxStatus status;
    MtxString response("keep");
    MtxReply reply(&status, &response);
    EXPECT_FALSE(reply.decode("<pro-rep><response>x</respons></pro-rep>"));
    EXPECT_STREQ(status.getCode(), "CLIENT_EXCEPTION");
    EXPECT_STREQ(status.getMessage(), "Server reply is not well-formed XML");
    EXPECT_STREQ(response.getValue(), "keep");
}

TEST(Framing, LoginRequestOnTheWireByteForByte)
{
    FakeTcpServer server([](Peer &peer) {
        peer.readRequest();
        peer.send(testing_support::stringReply("login", ""));
    });
    TestClient test(server.port());
    MtxStatus result;
    MtxUserSession session;
    test.client->login(result, "USER", "PASSWORD", "version", session);
    ASSERT_STREQ(result.getMessage(), "SUCCEED");
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0],
              "Orb.MtxRequest\r\n"
              "<pro-req><service-name>SysService</service-name><method-name>login</method-name>"
              "<trans-iD>0</trans-iD><session-iD></session-iD>"
              "<args xsi-type=\"com.Velmora.Orb.MtxRequest\"><value xsi-type=\"Orb.MtxString\">USER</value></args>"
              "<args xsi-type=\"com.Velmora.Orb.MtxRequest\"><value xsi-type=\"Orb.MtxString\">PASSWORD</value>"
              "</args></pro-req>\r\n\r\n\r\n");
}

TEST(MtxReply, CodePageTextDecodesAsIfTheWholeReplyWereConverted)
{
    // Double-byte characters whose second byte is ASCII ("丂" is 81 40, "乗"
    // 81 5C), a value made only of wide characters, character references in
    // text, attributes and CDATA (where they are plain text).
    std::vector<std::string> values = {
        orb::fromUtf8("服务器忙，请重试！"),
        "\x81\x40\x81\x5C" "abc" "\xB0\xA1",
        orb::fromUtf8("设备") + "-1-" + orb::fromUtf8("端口"),
        "&#x4E2D;&#25991;&#60;&amp;&#x1F600;&#xD800;&#;&#x110000;",
        "<![CDATA[&#x4E2D;]]>&#x4E2D;<!-- &#x4E2D; --><?pi &#x4E2D;?>",
        "<MtxString xsi-type=\"&#x4E2D;\">x&#20013;y</MtxString>",
    };
    // And references shuffled among the markup that hides them.
    const char *const fragments[] = {"&#", "&#x", "4E2D", "20013", "D800", "a9", "60", ";", "<![CDATA[",
                                     "]]>", "<!--", "-->", "<?p ", "?>", "<a>", "</a>", "&lt;", "\xD6\xD0", "x"};
    std::mt19937 random(7);
    for (int i = 0; i < 400; ++i) {
        std::string value;
        for (int pieces = 1 + static_cast<int>(random() % 12); pieces > 0; --pieces)
            value += fragments[random() % std::size(fragments)];
        values.push_back(value);
    }
    for (const std::string &value : values) {
        MtxStatus status;
        MtxString response;
        MtxReply reply(&status, &response);
        const std::string text = "<pro-rep><response>" + value + "</response></pro-rep>";
        reply.decode(text);
        // What a parser of the whole reply converted to UTF-8 reads.
        pugi::xml_document document;
        if (!document.load_string(orb::toUtf8(text).c_str())) {
            EXPECT_STREQ(status.getCode(), "CLIENT_EXCEPTION") << value;
            continue;
        }
        const pugi::xml_node responseNode = document.document_element().child("response");
        std::string expected;
        for (const pugi::xpath_node &node : responseNode.select_nodes("descendant::text()"))
            expected += node.node().value();
        EXPECT_EQ(response.getValue(), orb::fromUtf8(expected)) << value;
        EXPECT_TRUE(status.succeeded()) << value;
    }
}

TEST(MtxReply, BytesThatAreNoCharacterAreKeptAsSentAndNulIsMalformed)
{
    MtxStatus status;
    MtxString response;
    MtxReply cutCharacter(&status, &response);
    cutCharacter.decode("<pro-rep><response>tail\xB0</response></pro-rep>");
    EXPECT_TRUE(status.succeeded());
    EXPECT_STREQ(response.getValue(), "tail\xB0");

    MtxReply nulByte(&status, &response);
    using namespace std::string_literals;
    nulByte.decode("<pro-rep><response>a\0b</response></pro-rep>"s);
    EXPECT_STREQ(status.getCode(), "CLIENT_EXCEPTION");
}
