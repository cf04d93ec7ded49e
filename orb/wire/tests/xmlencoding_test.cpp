#include <cstring>

#include "orb/wire/memqueue.h"
#include "orb/wire/mtxarray.h"
#include "orb/wire/mtxfactory.h"
#include "orb/wire/mtxobjid.h"
#include "orb/wire/mtxqueryresult.h"
#include "orb/wire/mtxstatus.h"
#include "orb/wire/mtxstring.h"
#include "orb/wire/mtxusersecurity.h"
#include "orb/wire/mtxusersession.h"
#include "wiretestutil.h"

TEST(WireEncoding, WorkedExamplesByteForByte)
{
    EXPECT_EQ(xmlOf(MtxStatus()),
              "<value xsi-type=\"Orb.MtxStatus\"><code>1</code><message>SUCCEED</message></value>");

    MtxUserSession session;
    ASSERT_TRUE(session.setUserName("operator"));
    EXPECT_EQ(xmlOf(session),
              "<value xsi-type=\"Orb.MtxUserSession\"><user-name>operator</user-name>"
              "<pro-object-iD ID=\"-1\" type=\"0\" version=\"0\" xsi-type=\"Orb.MtxObjID\">"
              "<display-string></display-string></pro-object-iD><session-key></session-key></value>");

    MtxArray array;
    array.append(std::make_unique<MtxString>("a"));
    array.append(std::make_unique<MtxString>("b"));
    EXPECT_EQ(xmlOf(array), "<value xsi-type=\"Orb.MtxArray\"><MtxString xsi-type=\"Orb.MtxString\">a</MtxString>"
                            "<MtxString xsi-type=\"Orb.MtxString\">b</MtxString></value>");

    EXPECT_EQ(xmlOf(MtxString("x"), "value", 0), "<value>x</value>");
    EXPECT_EQ(xmlOf(MtxArray()), "<value xsi-type=\"Orb.MtxArray\"></value>");

    MtxUserSecurity security;
    security.setSecurity("rw");
    EXPECT_EQ(xmlOf(security, "s", 0), "<s><security>rw</security></s>");

    // A plain object writes nothing; a query result never travels to the server.
    EXPECT_EQ(xmlOf(MtxObj()), "");
    EXPECT_EQ(xmlOf(MtxQueryResult()), "");
}

TEST(WireEncoding, EmptyElementNameUsesTheTypesOwnForBothTags)
{
    EXPECT_EQ(xmlOf(MtxString("x"), "", 0), "<MtxString>x</MtxString>");
    EXPECT_EQ(xmlOf(MtxString("x"), nullptr, 1), "<MtxString xsi-type=\"Orb.MtxString\">x</MtxString>");
}

TEST(WireEncoding, SpecialCharactersAreEscapedAndRoundTrip)
{
    const char *tricky = "a<b && c>d \"q\"";
    MtxString text(tricky);
    EXPECT_EQ(xmlOf(text, "v", 0), "<v>a&lt;b &amp;&amp; c&gt;d \"q\"</v>");

    MtxStatus status;
    status.set("E<1>", "R&D failed");
    MtxObjID id;
    id.setDisplayString("<root>");
    MtxUserSession session;
    session.setUserName("ops&dev");
    session.setSessionKey("k<ey>");

    ParsedXml stringXml(xmlOf(text));
    MtxString stringBack;
    ASSERT_TRUE(stringBack.fromXML(stringXml.root()));
    EXPECT_STREQ(stringBack.getValue(), tricky);

    ParsedXml statusXml(xmlOf(status));
    MtxStatus statusBack;
    statusBack.fromXML(statusXml.root());
    EXPECT_STREQ(statusBack.getCode(), "E<1>");
    EXPECT_STREQ(statusBack.getMessage(), "R&D failed");

    ParsedXml sessionXml(xmlOf(session));
    MtxUserSession sessionBack;
    EXPECT_TRUE(sessionBack.fromXML(sessionXml.root()));
    EXPECT_STREQ(sessionBack.getUserName(), "ops&dev");
    EXPECT_STREQ(sessionBack.getSessionKey(), "k<ey>");

    ParsedXml idXml(xmlOf(id));
    MtxObjID idBack;
    idBack.fromXML(idXml.root());
    EXPECT_STREQ(idBack.getDisplayString(), "<root>");

    // Attribute values escape the quote too, so the element stays well-formed.
    struct OddType : MtxString
    {
        const char *getTypeName() const override { return "a\"b&c"; }
    } odd;
    EXPECT_EQ(xmlOf(odd, "v"), "<v xsi-type=\"a&quot;b&amp;c\"></v>");
    ParsedXml oddXml(xmlOf(odd, "v"));
    EXPECT_STREQ(oddXml.root().attribute("xsi-type").value(), "a\"b&c");
}

TEST(WireEncoding, ObjectIdAttributesAndMissingOnes)
{
    MtxObjID id;
    id.setID(42);
    id.setType(-7);
    id.setVersion(3);
    id.setDisplayString("router");
    EXPECT_EQ(xmlOf(id, "id", 0),
              "<id ID=\"42\" type=\"-7\" version=\"3\"><display-string>router</display-string></id>");

    ParsedXml xml(xmlOf(id));
    MtxObjID back;
    ASSERT_TRUE(back.fromXML(xml.root()));
    EXPECT_EQ(back.getID(), 42);
    EXPECT_EQ(back.getType(), -7);
    EXPECT_EQ(back.getVersion(), 3);
    EXPECT_STREQ(back.getDisplayString(), "router");

    ParsedXml bare("<id version=\"99999999999\" type=\"x\"/>");
    MtxObjID partial;
    partial.fromXML(bare.root());
    EXPECT_EQ(partial.getID(), 0) << "a missing attribute reads as 0";
    EXPECT_EQ(partial.getType(), 0);
    EXPECT_EQ(partial.getVersion(), 2147483647) << "out-of-range numbers are clamped";
}

TEST(WireDecoding, NamedFieldsKeepValuesOfMissingChildrenAndLaterChildWins)
{
    ParsedXml empty("<value/>");
    MtxStatus status;
    ASSERT_TRUE(status.fromXML(empty.root()));
    EXPECT_STREQ(status.getCode(), "1");
    EXPECT_STREQ(status.getMessage(), "SUCCEED");
    EXPECT_TRUE(status.succeeded());

    ParsedXml twice("<v><code>A</code><Code>x</Code><code>B</code>text<message><b>bo</b>ld</message></v>");
    status.fromXML(twice.root());
    EXPECT_STREQ(status.getCode(), "B");
    EXPECT_STREQ(status.getMessage(), "bold") << "text of a node is all text below it";
    EXPECT_FALSE(status.succeeded());

    MtxStatus codeOnly;
    codeOnly.setMessage("Server Socket error");
    EXPECT_FALSE(codeOnly.succeeded()) << "code 1 with another message is a failure";
}

TEST(WireDecoding, UserSessionNeedsObjectIdAndSessionKey)
{
    ParsedXml noKey("<v><user-name>u1</user-name><pro-object-iD ID=\"5\"/></v>");
    MtxUserSession session;
    EXPECT_FALSE(session.fromXML(noKey.root()));
    EXPECT_STREQ(session.getUserName(), "u1");
    EXPECT_EQ(session.getObjectID().getID(), 5);

    ParsedXml noId("<v><session-key>k</session-key></v>");
    MtxUserSession other;
    EXPECT_FALSE(other.fromXML(noId.root()));
    EXPECT_STREQ(other.getSessionKey(), "k");

    ParsedXml full("<v><session-key>k</session-key><pro-object-iD ID=\"1\"/></v>");
    EXPECT_TRUE(MtxUserSession().fromXML(full.root()));
}

TEST(WireDecoding, FrameworkFactoryTable)
{
    struct Case
    {
        const char *typeName;
        const char *createdType;
    } cases[] = {
        {"Orb.MtxObjID", "Orb.MtxObjID"},
        {"Orb.MtxString", "Orb.MtxString"},
        {"Orb.MtxStatus", "Orb.MtxStatus"},
        {"Orb.MtxUserSecurity", "Orb.MtxUserSecurity"},
        {"Orb.MtxUserSession", "Orb.MtxUserSession"},
        {"Orb.MtxArray", ""}, // not in the framework table
        {"Orb.MtxTree", ""},
        {"orb.mtxstring", ""}, // comparison is case-sensitive
        {"", ""},
    };
    for (const Case &c : cases) {
        std::unique_ptr<MtxObj> object = frameworkFactory().createObject(c.typeName);
        ASSERT_NE(object, nullptr) << c.typeName;
        EXPECT_STREQ(object->getTypeName(), c.createdType) << c.typeName;
    }
    EXPECT_NE(frameworkFactory().createObject(nullptr), nullptr);

    MtxObj noFactory;
    EXPECT_EQ(noFactory.createObject("Orb.MtxString"), nullptr);
    noFactory.setFactory(&frameworkFactory());
    EXPECT_STREQ(noFactory.createObject("Orb.MtxString")->getTypeName(), "Orb.MtxString");
}

TEST(WireDecoding, ArrayCreatesItemsFromTheirTypeNames)
{
    ParsedXml xml("<value xsi-type=\"Orb.MtxArray\">"
                  "<MtxString xsi-type=\"Orb.MtxString\">a</MtxString>"
                  "<Thing xsi-type=\"com.Unknown.Thing\">kept <i>text</i></Thing>"
                  "<NoType>plain</NoType>"
                  "<MtxStatus xsi-type=\"Orb.MtxStatus\"><code>9</code></MtxStatus>"
                  "</value>");
    MtxArray array;
    array.append(std::make_unique<MtxString>("old"));
    ASSERT_TRUE(array.fromXML(xml.root()));
    ASSERT_EQ(array.size(), 4u) << "reading replaces the old items";
    EXPECT_STREQ(static_cast<MtxString *>(array.at(0))->getValue(), "a");
    EXPECT_STREQ(array.at(1)->getTypeName(), "kept text") << "unknown type: plain MtxObj with text in name";
    EXPECT_EQ(typeid(*array.at(1)), typeid(MtxObj));
    EXPECT_EQ(typeid(*array.at(2)), typeid(MtxObj));
    EXPECT_STREQ(array.at(2)->getName(), "plain");
    EXPECT_STREQ(static_cast<MtxStatus *>(array.at(3))->getCode(), "9");

    // fromReply takes the single element inside the response.
    ParsedXml reply("<response><value><MtxString xsi-type=\"Orb.MtxString\">r</MtxString></value></response>");
    MtxArray fromReply;
    ASSERT_TRUE(fromReply.fromReply(reply.root()));
    ASSERT_EQ(fromReply.size(), 1u);

    // A deep copy keeps every item's content and type.
    MtxArray copy(array);
    ASSERT_EQ(copy.size(), 4u);
    EXPECT_EQ(xmlOf(copy), xmlOf(array));
    EXPECT_NE(copy.at(0), array.at(0));
}

TEST(WireDecoding, TextOfAnElementJoinsTextAndCdataInDocumentOrder)
{
    // Leading text, nested elements, CDATA, and what is no text at all.
    ParsedXml xml("<value xsi-type=\"Orb.MtxString\">a<b>b<c/>c</b><!--no--><![CDATA[<d>]]><?pi no?>e</value>");
    EXPECT_EQ(orb::nodeText(xml.root()), "abc<d>e");
    MtxString value;
    value.fromXML(xml.root());
    EXPECT_STREQ(value.getValue(), "abc<d>e");
    EXPECT_EQ(orb::nodeText(xml.root().child("b")), "bc");
}

TEST(WireDecoding, CodePageTextIsParsedAsItStands)
{
    // GBK characters whose trail byte is "\\", "|", "@" or "]" never end a
    // value or open markup; references beyond ASCII become GBK bytes in text
    // and attributes alike, references to ASCII stay escapes.
    std::string text = "<MtxStatus xsi-type=\"Orb.MtxStatus\" note=\"&#x4E2D;\">"
                       "<code>\x81\x5C\x81\x7C&#20013;&#60;x&#62;</code>"
                       "<message><![CDATA[\x81\x40\x81\x5D]]]]><![CDATA[>]]></message></MtxStatus>";
    pugi::xml_document document;
    ASSERT_TRUE(orb::parseLocalDocumentInPlace(document, text));
    MtxStatus status;
    status.fromXML(document.document_element());
    EXPECT_EQ(std::string(status.getCode()), "\x81\x5C\x81\x7C\xD6\xD0<x>");
    EXPECT_EQ(std::string(status.getMessage()), "\x81\x40\x81\x5D]]>");
    EXPECT_STREQ(document.document_element().attribute("note").value(), "\xD6\xD0");

    // The same text in UTF-8 reads the same.
    ParsedXml utf8(orb::toUtf8("<v>\x81\x5C&#x6587;</v>"));
    EXPECT_EQ(orb::nodeText(utf8.root()), "\x81\x5C\xCE\xC4");

    std::string error;
    std::string broken = "<v>&#x4E2D;<w></v>";
    EXPECT_FALSE(orb::parseLocalDocumentInPlace(document, broken, &error));
    EXPECT_NE(error.find("not well-formed"), std::string::npos) << error;
}

TEST(WireDecoding, QueryResultCountsItemsAndWritesNothing)
{
    ParsedXml xml("<r><MtxString xsi-type=\"Orb.MtxString\">a</MtxString>text"
                  "<MtxString xsi-type=\"Orb.MtxString\">b</MtxString></r>");
    MtxQueryResult result;
    result.setCursor(5);
    result.setFactory(&frameworkFactory());
    ASSERT_TRUE(result.fromXML(xml.root()));
    EXPECT_EQ(result.getCount(), 2);
    EXPECT_EQ(result.getCursor(), 0);
    EXPECT_STREQ(static_cast<MtxString *>(result.at(1))->getValue(), "b");
    ASSERT_TRUE(result.fromXML(xml.root()));
    EXPECT_EQ(result.getCount(), 2) << "old items are deleted before a new read";

    // The base reply reader reads nothing.
    ParsedXml reply("<response><value>x</value></response>");
    EXPECT_TRUE(result.fromReply(reply.root()));
    EXPECT_EQ(result.getCount(), 2);
    MtxStatus status;
    status.fromReply(reply.root());
    EXPECT_TRUE(status.succeeded());
    MtxString text;
    text.fromReply(reply.root());
    EXPECT_STREQ(text.getValue(), "x") << "a string reads the response's own text";
}

TEST(WireCopy, CloneAndBaseFields)
{
    MtxStatus status;
    status.setName("st");
    status.set("E", "M");
    status.setFactory(&frameworkFactory());
    std::unique_ptr<MtxObj> copy = status.clone();
    EXPECT_EQ(typeid(*copy), typeid(MtxObj)) << "the base clone makes a plain object";
    EXPECT_STREQ(copy->getName(), "st");
    EXPECT_EQ(copy->getFactory(), &frameworkFactory());

    MtxString text("value");
    text.setName("n");
    std::unique_ptr<MtxObj> textCopy = text.clone();
    ASSERT_EQ(typeid(*textCopy), typeid(MtxString));
    EXPECT_STREQ(static_cast<MtxString &>(*textCopy).getValue(), "value");
    EXPECT_STREQ(textCopy->getName(), "n");

    MtxObj named;
    EXPECT_EQ(named.setName(std::string(63, 'x').c_str()), 1);
    EXPECT_EQ(named.setName(std::string(64, 'y').c_str()), -1);
    EXPECT_EQ(std::strlen(named.getName()), 63u) << "a rejected name leaves the old one";

    EXPECT_STREQ(MtxString(std::string(1023, 'a').c_str()).getValue(), std::string(1023, 'a').c_str());
    EXPECT_STREQ(MtxString(std::string(1024, 'a').c_str()).getValue(), "") << "too long: left empty";
}
