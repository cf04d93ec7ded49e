#include <functional>

#include "orb/wire/mtxobjid.h"
#include "orb/wire/mtxqueryresult.h"
#include "orb/wire/mtxstatus.h"
#include "orb/wire/mtxstring.h"
#include "orb/wire/mtxtree.h"
#include "orb/wire/mtxusersecurity.h"
#include "orb/wire/mtxusersession.h"
#include "testrecords.h"
#include "wiretestutil.h"

namespace {

// Well-formed documents of shapes no server sends.
const char *oddShapes[] = {
    "<value/>",
    "<value>text only</value>",
    "<value><![CDATA[<code>1</code>]]></value>",
    "<value><code/><message/><pro-object-iD/><session-key/></value>",
    "<value xsi-type=\"\"><MtxArray/><MtxTree/><display-string><x><y>deep</y></x></display-string></value>",
    "<value><MtxTree><MtxTree><MtxTree/></MtxTree><TestNodeObj/></MtxTree></value>",
    "<value><item xsi-type=\"Orb.MtxTree\"/><item xsi-type=\"Orb.MtxArray\"><item xsi-type=\"Orb.MtxQueryResult\"/></item>"
    "<item xsi-type=\"Orb.MtxUserSession\"><pro-object-iD ID=\"abc\" type=\"-99999999999999\"/></item></value>",
    "<value ID=\"2147483648\" version=\"-\" type=\"0x10\"><display-string>\xE4\xB8\xAD</display-string></value>",
    "<response><exception/>tail</response>",
    "<a><b><c><d><e><f/></e></d></c></b></a>",
    "<value>\xEF\xBF\xBD&#0x1;&amp;&lt;</value>",
};

// Texts that are not well-formed.
const char *brokenTexts[] = {
    "",
    "<",
    "<value>",
    "<value></other>",
    "<value><code>1</code>",
    "text without element",
    "<value/><second/>",
    "<?xml version=\"1.0\"?>",
    "<value attr=noquote/>",
};

using Reader = std::function<void(const pugi::xml_node &)>;

// Every framework type, and a record, each read through fromXML and fromReply.
std::vector<Reader> everyReader(TestFactory &factory)
{
    std::vector<Reader> readers;
    auto add = [&readers](auto makeObject) {
        readers.push_back([makeObject](const pugi::xml_node &node) {
            auto object = makeObject();
            object->fromXML(node);
            auto again = makeObject();
            again->fromReply(node);
            std::string out;
            object->toXML(out, "value", 1);
        });
    };
    add([] { return std::make_unique<MtxObj>(); });
    add([] { return std::make_unique<MtxString>(); });
    add([] { return std::make_unique<MtxObjID>(); });
    add([] { return std::make_unique<MtxStatus>(); });
    add([] { return std::make_unique<MtxUserSecurity>(); });
    add([] { return std::make_unique<MtxUserSession>(); });
    add([] { return std::make_unique<MtxArray>(); });
    add([&factory] {
        auto array = std::make_unique<MtxArray>();
        array->setFactory(&factory);
        return array;
    });
    add([&factory] {
        auto result = std::make_unique<MtxQueryResult>();
        result->setFactory(&factory);
        return result;
    });
    add([] { return std::make_unique<MtxQueryResult>(); });
    add([] { return std::make_unique<MtxTree>(std::make_unique<TestNode>()); });
    add([&factory] {
        auto condition = std::make_unique<TestCondition>();
        condition->setFactory(&factory);
        return condition;
    });
    return readers;
}

} // namespace

TEST(MalformedInput, OddShapesAreReadWithoutHarm)
{
    TestFactory factory;
    const std::vector<Reader> readers = everyReader(factory);
    for (const char *text : oddShapes) {
        SCOPED_TRACE(text);
        pugi::xml_document document;
        std::string error;
        ASSERT_TRUE(orb::parseUtf8Document(document, text, &error)) << error;
        const pugi::xml_node root = document.document_element();
        for (const Reader &read : readers) {
            read(root);
            read(document);          // not an element
            read(pugi::xml_node());  // no node at all
            read(root.first_child()); // often a text node
        }
    }
}

TEST(MalformedInput, BrokenTextIsRefusedWithAMessage)
{
    for (const char *text : brokenTexts) {
        SCOPED_TRACE(text);
        pugi::xml_document document;
        std::string error;
        EXPECT_FALSE(orb::parseUtf8Document(document, text, &error));
        EXPECT_NE(error.find("not well-formed"), std::string::npos) << error;
        EXPECT_NE(error.find("line"), std::string::npos) << error;
        EXPECT_FALSE(document.document_element()) << "a refused text leaves no partial document";
    }
    pugi::xml_document document;
    std::string error;
    EXPECT_FALSE(orb::parseUtf8Document(document, "<a>\n<b>\n</a>", &error));
    EXPECT_NE(error.find("line 3"), std::string::npos) << error;
    EXPECT_FALSE(orb::parseUtf8Document(document, "<a"));
}
