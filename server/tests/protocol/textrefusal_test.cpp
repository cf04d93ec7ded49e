#include "orb/wire/mtxstring.h"
#include "orb/wire/mtxtree.h"
#include "server/core/schema.h"
#include "server/storage/storage.h"
#include "services/types/alertruleobj.h"
#include "services/types/departmentobj.h"
#include "services/types/elementobj.h"
#include "services/types/passwordscrambler.h"
#include "services/types/tablefactory.h"
#include "services/types/tpinfoobj.h"
#include "services/types/userobj.h"
#include "testsupport/servertest.h"

namespace {

// Marks where a test puts the text under test into an argument's XML.
constexpr std::string_view Marker = "@@";

// An argument written as the XML text it holds: lets a test send what no
// client of ours writes (references, over-long fields) through the real client.
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

// The argument XML of record with the text under test in field.
std::string withText(MtxRecord record, int field, const std::string &text)
{
    record.set(field, std::string(Marker));
    std::string xml;
    record.toXML(xml, "value", 1);
    return xml.replace(xml.find(Marker), Marker.size(), text);
}

class TextRefusalTest : public ServerTest
{
protected:
    void SetUp() override
    {
        ServerTest::SetUp();
        MtxTree tree(std::make_unique<ElementObj>());
        tree.setFactory(&domainFactory());
        ASSERT_TRUE(admin().callText("ElementService", "findElementTree", {"-1"}, &tree).succeeded());
        m_root = static_cast<const ElementObj &>(tree.node()).get(ElementObj::ID);
        MtxTree departments(std::make_unique<DepartmentObj>());
        departments.setFactory(&domainFactory());
        ASSERT_TRUE(admin().callText("SecurityService", "findDept", {"-1"}, &departments).succeeded());
        m_department = static_cast<const DepartmentObj &>(departments.child(0)->node()).get(DepartmentObj::ID);
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

    MtxStatus send(const char *service, const char *method, const std::string &argumentXml)
    {
        RawArgument argument(argumentXml);
        return admin().call(service, method, {&argument});
    }

    ElementObj element(const char *id) const
    {
        ElementObj record;
        record.set(ElementObj::ID, id);
        record.set(ElementObj::PID, m_root);
        record.set(ElementObj::Type, "1");
        return record;
    }

    std::string m_root;
    std::string m_department;
};

} // namespace

TEST_F(TextRefusalTest, WritesWithTextThatCannotBeKeptAreRefusedNamingTheFieldAndStoreNothing)
{
    ASSERT_TRUE(send("ElementService", "addElement", withText(element("g1"), ElementObj::Text, "g")).succeeded());

    UserObj user;
    user.set(UserObj::LoginName, "zhang");
    std::string key, scrambled;
    passwordscrambler::scramble("s3cret", key, scrambled);
    user.set(UserObj::Password, scrambled);
    user.set(UserObj::EncryptCode, key);
    user.set(UserObj::RoleName, local("系统管理员"));
    user.set(UserObj::DepartmentID, m_department);
    DepartmentObj department;
    department.set(DepartmentObj::ID, "d9");
    department.set(DepartmentObj::ParentID, m_department);
    department.set(DepartmentObj::AllName, "ops");
    AlertRuleObj rule;
    rule.set(AlertRuleObj::RuleID, "r1");
    TPInfoObj cell;
    cell.set(TPInfoObj::ID, "c1");
    cell.set(TPInfoObj::PID, "p1");
    const std::string oneOver(128, 'x');                  // Text holds 127 bytes
    const std::string straddling = std::string(126, 'x') + local("中"); // 128 bytes, the last character cut

    struct Case
    {
        const char *service;
        const char *method;
        std::string argument;
        const char *message;
    } cases[] = {
        {"ElementService", "addElement", withText(element("g2"), ElementObj::Text, "a&#0;b"), "字段 Text 含有空字符 (NUL)，无法保存"},
        {"ElementService", "addElement", withText(element("g2"), ElementObj::Text, "a&#x0;b"), "字段 Text 含有空字符 (NUL)，无法保存"},
        {"ElementService", "addElement", withText(element("g2"), ElementObj::Text, "a&#x1F600;"), "字段 Text 含有无法保存的字符 U+1F600"},
        {"ElementService", "addElement", withText(element("g2"), ElementObj::Text, oneOver), "字段 Text 超过 127 字节"},
        {"ElementService", "addElement", withText(element("g2"), ElementObj::Text, straddling), "字段 Text 超过 127 字节"},
        {"ElementService", "updateElement", withText(element("g1"), ElementObj::Text, "new&#0;"), "字段 Text 含有空字符 (NUL)，无法保存"},
        // A cut identifier would name another element.
        {"ElementService", "deleteElement", "<value xsi-type=\"Orb.MtxString\">g1&#0;x</value>", "字段 value 含有空字符 (NUL)，无法保存"},
        {"SecurityService", "addUser", withText(user, UserObj::AllName, std::string(64, 'n')), "字段 AllName 超过 63 字节"},
        {"SecurityService", "addDept", withText(department, DepartmentObj::Description, "&#x0;"), "字段 Description 含有空字符 (NUL)，无法保存"},
        {"AlertService", "addAlertRule", withText(rule, AlertRuleObj::RuleName, "&#128512;"), "字段 RuleName 含有无法保存的字符 U+1F600"},
        {"TPService", "addTPInfo", withText(cell, TPInfoObj::Image, oneOver), "字段 Image 超过 127 字节"},
    };
    const std::string before = database();
    for (const Case &c : cases) {
        const MtxStatus status = send(c.service, c.method, c.argument);
        EXPECT_EQ(messageOf(status), std::string("BAD_REQUEST ") + c.message) << c.method << ": " << c.argument;
        EXPECT_TRUE(database() == before) << c.method << " changed the database: " << c.argument;
    }

    // The same records with text that fits are taken.
    EXPECT_TRUE(send("SecurityService", "addUser", withText(user, UserObj::AllName, std::string(63, 'n'))).succeeded());
    EXPECT_TRUE(send("SecurityService", "addDept", withText(department, DepartmentObj::Description, "d")).succeeded());
    EXPECT_TRUE(send("AlertService", "addAlertRule", withText(rule, AlertRuleObj::RuleName, "r")).succeeded());
    EXPECT_TRUE(send("TPService", "addTPInfo", withText(cell, TPInfoObj::Image, std::string(127, 'i'))).succeeded());
}

TEST_F(TextRefusalTest, TextThatFitsIsStoredWholeReferencesIncluded)
{
    // 127 bytes: a reference to a GBK character (two bytes), ASCII, and a
    // double-byte character that ends exactly at the limit.
    const std::string text = "&#x4E2D;" + std::string(123, 'x') + local("文");
    const MtxStatus status = send("ElementService", "addElement", withText(element("g3"), ElementObj::Text, text));
    ASSERT_TRUE(status.succeeded()) << messageOf(status);
    ElementObj stored;
    stored.setFactory(&domainFactory());
    ASSERT_TRUE(admin().callText("ElementService", "selectElementObj", {"g3"}, &stored).succeeded());
    EXPECT_EQ(stored.get(ElementObj::Text), local("中") + std::string(123, 'x') + local("文"));
}
