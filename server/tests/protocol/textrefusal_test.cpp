#include "orb/wire/mtxtree.h"
#include "server/core/schema.h"
#include "server/storage/storage.h"
#include "services/types/alertruleobj.h"
#include "services/types/elementobj.h"
#include "services/types/tablefactory.h"
#include "services/types/tpinfoobj.h"
#include "testsupport/servertest.h"

namespace {

// An argument sent as the XML text it holds: what no client of ours writes
// (references, over-long fields), through the real client.
class RawArgument : public MtxObj
{
public:
    explicit RawArgument(std::string xml) : m_xml(std::move(xml)) {}
    int toXML(std::string &out, const char *, int, int) const override
    {
        out += m_xml;
        return 1;
    }

private:
    std::string m_xml;
};

// The argument XML of record with text put into field as it stands.
std::string withText(MtxRecord record, int field, const std::string &text)
{
    record.set(field, "@@");
    std::string xml;
    record.toXML(xml, "value", 1);
    return xml.replace(xml.find("@@"), 2, text);
}

class TextRefusalTest : public ServerTest
{
protected:
    MtxStatus send(const char *service, const char *method, const std::string &argumentXml)
    {
        RawArgument argument(argumentXml);
        return admin().call(service, method, {&argument});
    }
    // Every stored row of every table, as text.
    std::string database()
    {
        std::string rows;
        for (const TableDefinition *table : schema::all())
            for (const auto &row : m_server->storage().select(*table, Filter::all()))
                row->toXML(rows, "", 1);
        return rows;
    }
    std::string element(const char *id, const std::string &text)
    {
        MtxTree tree(std::make_unique<ElementObj>());
        tree.setFactory(&domainFactory());
        EXPECT_TRUE(admin().callText("ElementService", "findElementTree", {"-1"}, &tree).succeeded());
        ElementObj record;
        record.set(ElementObj::ID, id);
        record.set(ElementObj::PID, static_cast<const ElementObj &>(tree.node()).get(ElementObj::ID));
        record.set(ElementObj::Type, "1");
        return withText(record, ElementObj::Text, text);
    }
};

} // namespace

TEST_F(TextRefusalTest, WritesWithTextThatCannotBeKeptAreRefusedNamingTheFieldAndStoreNothing)
{
    ASSERT_TRUE(send("ElementService", "addElement", element("g1", "g")).succeeded());
    const std::string oneOver(128, 'x'); // Text holds 127 bytes
    const std::string nul = "BAD_REQUEST 字段 Text 含有空字符 (NUL)，无法保存";
    AlertRuleObj rule;
    rule.set(AlertRuleObj::RuleID, "r1");
    TPInfoObj cell;
    cell.set(TPInfoObj::ID, "c1");
    const struct
    {
        const char *service;
        const char *method;
        std::string argument;
        std::string refusal;
    } cases[] = {
        {"ElementService", "addElement", element("g2", "a&#0;b"), nul},
        {"ElementService", "addElement", element("g2", "a&#x0;b"), nul},
        {"ElementService", "updateElement", element("g1", "new&#0;"), nul},
        {"ElementService", "addElement", element("g2", "a&#x1F600;"), "BAD_REQUEST 字段 Text 含有无法保存的字符 U+1F600"},
        {"ElementService", "addElement", element("g2", "a\xFF"), "BAD_REQUEST 字段 Text 含有无效的 GBK 字节"},
        {"ElementService", "addElement", element("g2", oneOver), "BAD_REQUEST 字段 Text 超过 127 字节"},
        {"ElementService", "addElement", element("g2", std::string(126, 'x') + local("中")), "BAD_REQUEST 字段 Text 超过 127 字节"},
        // Cut at the NUL, the identifier would name another element.
        {"ElementService", "deleteElement", "<value xsi-type=\"Orb.MtxString\">g1&#0;x</value>", "BAD_REQUEST 字段 value 含有空字符 (NUL)，无法保存"},
        {"AlertService", "addAlertRule", withText(rule, AlertRuleObj::RuleName, "&#128512;"), "BAD_REQUEST 字段 RuleName 含有无法保存的字符 U+1F600"},
        {"TPService", "addTPInfo", withText(cell, TPInfoObj::Image, oneOver), "BAD_REQUEST 字段 Image 超过 127 字节"},
    };
    const std::string before = database();
    for (const auto &c : cases) {
        EXPECT_EQ(messageOf(send(c.service, c.method, c.argument)), c.refusal) << c.argument;
        EXPECT_TRUE(database() == before) << c.method << " changed the database: " << c.argument;
    }

    // 127 bytes: a reference to a GBK character, ASCII, and a double-byte
    // character ending at the limit.
    ASSERT_TRUE(send("ElementService", "addElement", element("g3", "&#x4E2D;" + std::string(123, 'x') + local("文"))).succeeded());
    ElementObj stored;
    stored.setFactory(&domainFactory());
    ASSERT_TRUE(admin().callText("ElementService", "selectElementObj", {"g3"}, &stored).succeeded());
    EXPECT_EQ(stored.get(ElementObj::Text), local("中") + std::string(123, 'x') + local("文"));
}
