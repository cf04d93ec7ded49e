#include "orb/wire/mtxstring.h"
#include "testrecords.h"
#include "wiretestutil.h"

namespace {

std::unique_ptr<TestItem> item(const char *id, const char *op, const char *value)
{
    auto result = std::make_unique<TestItem>();
    result->set(TestItem::ItemId, id);
    result->set(TestItem::ParaName, "cpu");
    result->set(TestItem::Operator, op);
    result->set(TestItem::ParaValue, value);
    return result;
}

} // namespace

TEST(MtxRecord, WritesFieldsInOrderThenEmbeddedObjects)
{
    TestCondition condition;
    condition.set(TestCondition::Error, "e");
    condition.set(TestCondition::Stamp, "not written");
    condition.array(1).append(std::make_unique<MtxString>("s"));
    EXPECT_EQ(xmlOf(condition),
              "<value xsi-type=\"Orb.TestConditionObj\"><Error>e</Error><Warning></Warning><Normal></Normal>"
              "<MtxArray xsi-type=\"Orb.MtxArray\"></MtxArray>"
              "<MtxArray xsi-type=\"Orb.MtxArray\"><MtxString xsi-type=\"Orb.MtxString\">s</MtxString></MtxArray>"
              "<MtxArray xsi-type=\"Orb.MtxArray\"></MtxArray></value>");
    EXPECT_EQ(xmlOf(TestNode(), "", 0), "<TestNodeObj><ID></ID><Text></Text></TestNodeObj>");
}

TEST(MtxRecord, ComparisonOperatorTable)
{
    struct Case
    {
        const char *stored;
        const char *written;
        const char *readBack;
    } cases[] = {
        {"==", "==", "=="},
        {"!=", "!=", "!="},
        {">", "&gt;", ">"},
        {"<", "&lt;", "<"},
        {">=", "&gt;=", ">="},
        {"<=", "&lt;=", "<="},
        {"contains", "contains", "contains"},
        {"!contains", "!contains", "!contains"},
        {"&gt;", "&gt;", ">"}, // already an entity: the same bytes as ">"
        {"&lt;=", "&lt;=", "<="},
        {"=", "=", "="},
        {"a<b&c", "a&lt;b&amp;c", "a<b&c"}, // anything else is escaped normally
    };
    for (const Case &c : cases) {
        auto written = item("1", c.stored, "90");
        const std::string xml = xmlOf(*written, "", 0);
        EXPECT_EQ(xml, std::string("<TestItemObj><itemId>1</itemId><paraName>cpu</paraName><operator>") +
                           c.written + "</operator><paraValue>90</paraValue></TestItemObj>")
            << "stored " << c.stored;
        ParsedXml parsed(xml);
        TestItem back;
        ASSERT_TRUE(back.fromXML(parsed.root()));
        EXPECT_EQ(back.get(TestItem::Operator), c.readBack);
    }
}

TEST(MtxRecord, RoundTripWithEmbeddedArraysThroughTheFactory)
{
    TestFactory factory;
    TestCondition condition;
    condition.set(TestCondition::Error, "cpu > 90 & <mem>");
    condition.set(TestCondition::Normal, "ok");
    condition.array(0).append(item("1", ">=", "90"));
    condition.array(0).append(item("2", "contains", "x<y"));
    condition.array(2).append(item("3", "<", "5"));

    ParsedXml parsed("<response>" + xmlOf(condition) + "</response>");
    TestCondition back;
    back.setFactory(&factory);
    back.set(TestCondition::Warning, "stale");
    ASSERT_TRUE(back.fromReply(parsed.root()));
    EXPECT_TRUE(back == condition) << xmlOf(back);
    EXPECT_EQ(back.array(0).getFactory(), &factory) << "embedded objects take the record's factory";
    ASSERT_EQ(back.array(0).size(), 2u);
    EXPECT_EQ(typeid(*back.array(0).at(1)), typeid(TestItem));
    EXPECT_EQ(static_cast<TestItem *>(back.array(0).at(1))->get(TestItem::ParaValue), "x<y");
    EXPECT_EQ(back.array(1).size(), 0u);
    EXPECT_EQ(back.array(2).size(), 1u);

    back.set(TestCondition::Normal, "changed");
    EXPECT_FALSE(back == condition);
}

TEST(MtxRecord, ChildrenGoToEmbeddedObjectsByOrderAndReadOnlyFieldsAreRead)
{
    ParsedXml parsed("<c><Stamp>2024-1-2 3:4:5</Stamp><Unknown>u</Unknown>"
                     "<MtxArray><MtxString xsi-type=\"Orb.MtxString\">first</MtxString></MtxArray>"
                     "<Error>E</Error>"
                     "<MtxArray><MtxString xsi-type=\"Orb.MtxString\">second</MtxString>"
                     "<MtxString xsi-type=\"Orb.MtxString\">2b</MtxString></MtxArray></c>");
    TestCondition condition;
    condition.array(2).append(std::make_unique<MtxString>("kept"));
    ASSERT_TRUE(condition.fromXML(parsed.root()));
    EXPECT_EQ(condition.get(TestCondition::Stamp), "2024-1-2 3:4:5");
    EXPECT_EQ(condition.get(TestCondition::Error), "E");
    ASSERT_EQ(condition.array(0).size(), 1u);
    EXPECT_STREQ(static_cast<MtxString *>(condition.array(0).at(0))->getValue(), "first");
    EXPECT_EQ(condition.array(1).size(), 2u);
    EXPECT_EQ(condition.array(2).size(), 1u) << "the third array has no child and stays as it was";
}

TEST(MtxRecord, FieldWidthsAndTruncation)
{
    TestItem record;
    EXPECT_TRUE(record.set(TestItem::ItemId, std::string(15, 'i')));
    EXPECT_FALSE(record.set(TestItem::ItemId, std::string(16, 'j')));
    EXPECT_EQ(record.get(TestItem::ItemId), std::string(15, 'i'));
    EXPECT_FALSE(record.set(-1, "x"));
    EXPECT_FALSE(record.set(99, "x"));
    record.setTruncated(TestItem::ItemId, "abcdefghijklmn\xD6\xD0");
    EXPECT_EQ(record.get(TestItem::ItemId), "abcdefghijklmn") << "a double-byte character is never cut";
    EXPECT_EQ(record.indexOf("paraValue"), 3);
    EXPECT_EQ(record.indexOf("paravalue"), -1);

    TestCondition condition;
    const std::string longStamp(5000, 's');
    EXPECT_TRUE(condition.set(TestCondition::Stamp, longStamp)) << "width 0 has no limit";
    ParsedXml parsed("<c><itemId>" + std::string(40, 'x') + "</itemId></c>");
    record.fromXML(parsed.root());
    EXPECT_EQ(record.get(TestItem::ItemId), std::string(15, 'x'));
}

TEST(MtxRecord, CloneCopyAndReplyModes)
{
    TestCondition condition;
    condition.setName("n");
    condition.set(TestCondition::Warning, "w");
    condition.array(1).append(item("7", "<=", "3"));
    std::unique_ptr<MtxObj> copy = condition.clone();
    ASSERT_EQ(typeid(*copy), typeid(TestCondition));
    auto &full = static_cast<TestCondition &>(*copy);
    EXPECT_TRUE(full == condition);
    EXPECT_STREQ(full.getName(), "n");
    EXPECT_NE(&full.array(1), &condition.array(1)) << "a deep copy";
    EXPECT_EQ(typeid(*condition.newInstance()), typeid(TestCondition));

    TestNode node;
    node.set(TestNode::Id, "id");
    node.setName("dept");
    std::unique_ptr<MtxObj> base = node.clone();
    EXPECT_EQ(typeid(*base), typeid(MtxObj)) << "a base-clone record keeps only the base fields";
    EXPECT_STREQ(base->getName(), "dept");

    ParsedXml reply("<response><TestNodeObj><ID>x</ID></TestNodeObj></response>");
    EXPECT_TRUE(node.fromReply(reply.root()));
    EXPECT_EQ(node.get(TestNode::Id), "id") << "this record reads nothing from a reply";

    TestCondition assigned;
    assigned = condition;
    EXPECT_TRUE(assigned == condition);
}

// Only fields with text are kept: setting, clearing and copying in any order
// must read and write as a record that stored every field.
TEST(MtxRecord, SparseFieldsReadAndWriteLikeFullOnes)
{
    TestCondition written;
    written.set(TestCondition::Normal, "n");
    written.set(TestCondition::Error, "e");
    written.set(TestCondition::Warning, "w"); // between the two already kept
    EXPECT_EQ(written.get(TestCondition::Error), "e");
    EXPECT_EQ(written.get(TestCondition::Warning), "w");
    EXPECT_EQ(written.get(TestCondition::Normal), "n");
    EXPECT_EQ(written.get(TestCondition::Stamp), "");
    EXPECT_EQ(written.get(99), "") << "no field, no text";

    // Text taken from another field of the same record survives the move of
    // the slots that adding a field causes.
    TestItem same;
    same.set(TestItem::ParaValue, "a value of more than fifteen bytes");
    same.set(TestItem::ParaName, "short");
    EXPECT_TRUE(same.set(TestItem::ItemId, same.get(TestItem::ParaName)));
    EXPECT_TRUE(same.set(TestItem::Operator, same.get(TestItem::ParaValue).substr(0, 8)));
    EXPECT_EQ(same.get(TestItem::ItemId), "short");
    EXPECT_EQ(same.get(TestItem::Operator), "a value ");

    // Cleared fields are gone: the record equals one that never had them.
    TestCondition cleared = written;
    cleared.set(TestCondition::Warning, "");
    cleared.setTruncated(TestCondition::Normal, "");
    TestCondition fresh;
    fresh.set(TestCondition::Error, "e");
    EXPECT_TRUE(cleared == fresh);
    EXPECT_EQ(xmlOf(cleared), xmlOf(fresh));
    const std::string emptyArray = "<MtxArray xsi-type=\"Orb.MtxArray\"></MtxArray>";
    EXPECT_EQ(xmlOf(written), "<value xsi-type=\"Orb.TestConditionObj\"><Error>e</Error><Warning>w</Warning>"
                              "<Normal>n</Normal>" + emptyArray + emptyArray + emptyArray + "</value>");
}

// Embedded objects are made when first needed; one never made writes and
// compares as a fresh one, and reading or changing it makes it.
TEST(MtxRecord, EmbeddedObjectsMadeOnDemand)
{
    const TestCondition untouched;
    TestCondition touched;
    touched.array(0);
    touched.array(2).clear();
    EXPECT_EQ(xmlOf(untouched), xmlOf(touched));
    EXPECT_TRUE(untouched == touched);
    EXPECT_EQ(untouched.array(1).size(), 0u);

    TestCondition copy = untouched;
    copy.array(1).append(std::make_unique<MtxString>("x"));
    EXPECT_EQ(untouched.array(1).size(), 0u) << "the stand-in of a copy is never changed";
    EXPECT_FALSE(copy == untouched);

    TestFactory factory;
    TestCondition read;
    read.setFactory(&factory);
    ParsedXml parsed("<c><MtxArray/><MtxArray><MtxString xsi-type=\"Orb.MtxString\">s</MtxString></MtxArray></c>");
    read.fromXML(parsed.root());
    ASSERT_EQ(read.array(1).size(), 1u);
    EXPECT_STREQ(static_cast<MtxString *>(read.array(1).at(0))->getValue(), "s");
    EXPECT_EQ(xmlOf(TestCondition(read)), xmlOf(read));
}
