// The encodings and edge cases of particular record types: the condition
// operator, the three condition arrays, monitors with their items, trees of
// departments and system types, long texts.
#include <typeinfo>

#include "orb/wire/memqueue.h"
#include "orb/wire/mtxtree.h"
#include "services/tests/wiretest.h"
#include "services/types/alertlogobj.h"
#include "services/types/alertruletypeparameterobj.h"
#include "services/types/alertsendtypeparameterobj.h"
#include "services/types/cellobj.h"
#include "services/types/departmentobj.h"
#include "services/types/elementobj.h"
#include "services/types/entityobj.h"
#include "services/types/expressionparamitemobj.h"
#include "services/types/monitorobj.h"
#include "services/types/paramobj.h"
#include "services/types/servicetables.h"
#include "services/types/systypeobj.h"
#include "services/types/tablefactory.h"
#include "services/types/tpinfoobj.h"
#include "services/types/userobj.h"

using namespace wiretest;

namespace {

std::string operatorWritten(const std::string &stored)
{
    ExpressionParamItemObj item;
    EXPECT_TRUE(item.set(ExpressionParamItemObj::Operator, stored));
    const std::string text = write(item);
    const auto open = text.find("<operator>");
    const auto close = text.find("</operator>");
    if (open == std::string::npos || close == std::string::npos)
        return "(no operator element in " + text + ")";
    return text.substr(open + 10, close - open - 10);
}

std::unique_ptr<ParamObj> param(const char *name, const char *value)
{
    auto item = std::make_unique<ParamObj>();
    item->set(ParamObj::ParamName, name);
    item->set(ParamObj::ParamValue, value);
    return item;
}

std::unique_ptr<ExpressionParamItemObj> clause(const char *id, const char *name, const char *op,
                                               const char *value)
{
    auto item = std::make_unique<ExpressionParamItemObj>();
    item->set(ExpressionParamItemObj::itemId, id);
    item->set(ExpressionParamItemObj::paraName, name);
    item->set(ExpressionParamItemObj::Operator, op);
    item->set(ExpressionParamItemObj::paraValue, value);
    return item;
}

const ExpressionParamItemObj &clauseAt(const MtxArray &array, std::size_t index)
{
    return dynamic_cast<const ExpressionParamItemObj &>(*array.at(index));
}

} // namespace

TEST(ExpressionParamItemObj, OperatorIsWrittenThroughItsTableAndReadBackPlain)
{
    const std::pair<const char *, const char *> table[] = {
        {"==", "=="},      {"!=", "!="},      {">", "&gt;"},           {"<", "&lt;"},
        {">=", "&gt;="},   {"<=", "&lt;="},   {"contains", "contains"}, {"!contains", "!contains"},
    };
    for (const auto &[stored, written] : table) {
        EXPECT_EQ(operatorWritten(stored), written) << stored;
        ExpressionParamItemObj read_;
        ExpressionParamItemObj item;
        item.set(ExpressionParamItemObj::Operator, stored);
        read(read_, write(item));
        EXPECT_EQ(read_.get(ExpressionParamItemObj::Operator), stored);
    }
    EXPECT_EQ(operatorWritten("="), "=") << "other operators go out unchanged";
    EXPECT_EQ(operatorWritten(""), "");
}

TEST(ExpressionParamItemObj, StoredEntityIsWrittenAsItStands)
{
    // What the monitor dialog stores is already the entity; the server must
    // get the same bytes as for the plain operator.
    for (const char *entity : {"&gt;", "&lt;", "&gt;=", "&lt;="}) {
        EXPECT_EQ(operatorWritten(entity), entity);
        ExpressionParamItemObj item;
        item.set(ExpressionParamItemObj::Operator, entity);
        ExpressionParamItemObj back;
        read(back, write(item));
        EXPECT_EQ(operatorWritten(back.get(ExpressionParamItemObj::Operator)), entity);
    }
    ExpressionParamItemObj item;
    item.set(ExpressionParamItemObj::itemId, "1");
    item.set(ExpressionParamItemObj::paraName, "cpu");
    item.set(ExpressionParamItemObj::Operator, "<=");
    item.set(ExpressionParamItemObj::paraValue, "90");
    EXPECT_EQ(write(item, ""),
              "<ExpressionParamItemObj xsi-type=\"Orb.ExpressionParamItemObj\"><itemId>1</itemId>"
              "<paraName>cpu</paraName><operator>&lt;=</operator><paraValue>90</paraValue>"
              "</ExpressionParamItemObj>");
}

TEST(StateConditionObj, ArraysAreFilledInOrderOfAppearance)
{
    TableFactory elementService(inventoryTypes());
    StateConditionObj condition;
    condition.setFactory(&elementService);
    read(condition,
         "<StateConditionObj xsi-type=\"Orb.StateConditionObj\"><Error>1#or#2</Error>"
         "<Warning>1</Warning>"
         "<MtxArray xsi-type=\"Orb.MtxArray\">"
         "<ExpressionParamItemObj xsi-type=\"Orb.ExpressionParamItemObj\"><itemId>1</itemId>"
         "<paraName>cpu</paraName><operator>&gt;</operator><paraValue>90</paraValue>"
         "</ExpressionParamItemObj>"
         "<ExpressionParamItemObj xsi-type=\"Orb.ExpressionParamItemObj\"><itemId>2</itemId>"
         "<paraName>mem</paraName><operator>&gt;=</operator><paraValue>80</paraValue>"
         "</ExpressionParamItemObj></MtxArray>"
         "<Unknown>skipped</Unknown>"
         "<MtxArray xsi-type=\"Orb.MtxArray\">"
         "<ExpressionParamItemObj xsi-type=\"Orb.ExpressionParamItemObj\"><itemId>1</itemId>"
         "<paraName>cpu</paraName><operator>contains</operator><paraValue>7</paraValue>"
         "</ExpressionParamItemObj></MtxArray>"
         "</StateConditionObj>");
    EXPECT_EQ(condition.get(StateConditionObj::Error), "1#or#2");
    EXPECT_EQ(condition.get(StateConditionObj::Warning), "1");
    EXPECT_EQ(condition.get(StateConditionObj::Normal), "");
    ASSERT_EQ(condition.errorItems().size(), 2u);
    EXPECT_EQ(clauseAt(condition.errorItems(), 1).get(ExpressionParamItemObj::Operator), ">=");
    ASSERT_EQ(condition.warningItems().size(), 1u);
    EXPECT_EQ(clauseAt(condition.warningItems(), 0).get(ExpressionParamItemObj::Operator),
              "contains");
    EXPECT_TRUE(condition.normalItems().empty());
    EXPECT_EQ(&condition.items(StateConditionObj::Warning), &condition.array(1));
}

TEST(MonitorObj, KeepsItsItemsThroughTheElementServiceFactory)
{
    MonitorObj monitor;
    monitor.set(MonitorObj::Id, "7b1c6f0e-0d7e-4b0a-9d57-1f0e7c7a0001");
    monitor.set(MonitorObj::ParentId, "7b1c6f0e-0d7e-4b0a-9d57-1f0e7c7a0002");
    monitor.set(MonitorObj::MonitorType, "12");
    monitor.set(MonitorObj::Text, local("CPU检测"));
    monitor.params().append(param("_MachineName", "10.0.0.1"));
    monitor.params().append(param("Interval", "60"));
    StateConditionObj &condition = monitor.condition();
    condition.set(StateConditionObj::Error, "1#and#2");
    condition.set(StateConditionObj::Normal, "1");
    condition.errorItems().append(clause("1", "cpu", ">", "90"));
    condition.errorItems().append(clause("2", "mem", "<=", "80"));
    condition.normalItems().append(clause("1", "cpu", "<", "50"));
    const std::string text = write(monitor);

    TableFactory elementService(inventoryTypes());
    MonitorObj back;
    back.setFactory(&elementService);
    read(back, text);
    ASSERT_EQ(back.params().size(), 2u);
    const auto &second = dynamic_cast<const ParamObj &>(*back.params().at(1));
    EXPECT_EQ(second.get(ParamObj::ParamValue), "60");
    EXPECT_EQ(back.get(MonitorObj::Text), local("CPU检测"));
    ASSERT_EQ(back.condition().errorItems().size(), 2u);
    EXPECT_EQ(clauseAt(back.condition().errorItems(), 1).get(ExpressionParamItemObj::Operator),
              "<=");
    EXPECT_EQ(back.condition().warningItems().size(), 0u);
    ASSERT_EQ(back.condition().normalItems().size(), 1u);
    EXPECT_EQ(clauseAt(back.condition().normalItems(), 0).get(ExpressionParamItemObj::paraValue),
              "50");
    EXPECT_EQ(write(back), text) << "the same bytes go back to the server";
}

TEST(ElementObj, TypedFieldsLandUnderTheirElementNames)
{
    ElementObj element;
    EXPECT_TRUE(element.set(ElementObj::Entity_IpAddress, "10.0.0.1"));
    EXPECT_TRUE(element.set(ElementObj::Text, local("核心交换机")));
    element.params().append(param("Community", "public"));
    const std::string text = write(element);
    EXPECT_NE(text.find("<Entity_IpAddress>10.0.0.1</Entity_IpAddress>"), std::string::npos);
    EXPECT_NE(text.find("<MtxArray xsi-type=\"Orb.MtxArray\"><ParamObj xsi-type=\"Orb.ParamObj\">"
                        "<ParamName>Community</ParamName><ParamValue>public</ParamValue>"
                        "</ParamObj></MtxArray></value>"),
              std::string::npos)
        << text;

    // A full clone is of the same type and owns its own copy of the
    // parameters; with a pool its storage is a page of that pool.
    MemQueue pool("elements", 2, 1024);
    element.setPool(&pool);
    std::unique_ptr<MtxObj> clone = element.clone();
    EXPECT_EQ(pool.inUse(), 1);
    element.params().clear();
    ASSERT_EQ(typeid(*clone), typeid(ElementObj));
    EXPECT_EQ(static_cast<ElementObj &>(*clone).params().size(), 1u);
    clone.reset();
    EXPECT_EQ(pool.inUse(), 0) << "the page goes back to the pool";
}

TEST(AlertLogObj, KeepsAFullContentOfDoubleByteText)
{
    std::string content;
    while (content.size() < 1022)
        content += local("告");
    content += "!";
    ASSERT_EQ(content.size(), 1023u);
    AlertLogObj log;
    ASSERT_TRUE(log.set(AlertLogObj::Content, content));
    EXPECT_FALSE(log.set(AlertLogObj::Content, content + "x"));
    log.set(AlertLogObj::RuleName, local("端口告警"));
    AlertLogObj back;
    read(back, write(log));
    EXPECT_EQ(back.get(AlertLogObj::Content), content);
    EXPECT_TRUE(back == log);
}

TEST(AlertTypeParameterObj, RuleAndSendTypeDifferOnlyInTypeAndElementName)
{
    AlertRuleTypeParameterObj rule;
    AlertSendTypeParameterObj send;
    const char *values[] = {"7b1c6f0e-0d7e-4b0a-9d57-1f0e7c7a0003", "mail", "ops@example.org",
                            "edit1"};
    for (int i = 0; i < 4; ++i) {
        rule.set(i, values[i]);
        send.set(i, values[i]);
    }
    std::string ruleText = write(rule, "");
    const std::string sendText = write(send, "");
    for (std::string::size_type at; (at = ruleText.find("AlertRule")) != std::string::npos;)
        ruleText.replace(at, 9, "AlertSend");
    EXPECT_EQ(ruleText, sendText);
    EXPECT_NE(write(rule, ""), sendText);
}

TEST(UserObj, MissingDepartmentLeavesItEmpty)
{
    UserObj user;
    read(user, "<value xsi-type=\"com.Velmora.Security.UserObj\"><LoginName>op</LoginName>"
               "<AllName>Operator</AllName><Password>secret</Password><EncryptCode>x1</EncryptCode>"
               "<RoleName>admin</RoleName></value>");
    EXPECT_EQ(user.get(UserObj::LoginName), "op");
    EXPECT_EQ(user.get(UserObj::RoleName), "admin");
    EXPECT_EQ(user.get(UserObj::DepartmentID), "");
    EXPECT_NE(write(user).find("<DepartmentID></DepartmentID></value>"), std::string::npos);
}

TEST(TPInfoObj, TypeHasNoLengthLimit)
{
    TPInfoObj item;
    EXPECT_NE(write(item).find("<H></H><Type></Type></value>"), std::string::npos)
        << "an empty Type is still written";
    const std::string type(5000, 'k');
    ASSERT_TRUE(item.set(TPInfoObj::Type, type));
    item.set(TPInfoObj::X, "10.5");
    TPInfoObj back;
    read(back, write(item));
    EXPECT_EQ(back.get(TPInfoObj::Type), type);
    EXPECT_EQ(back.get(TPInfoObj::X), "10.5");
}

TEST(CellObj, ControlTypeIsReadButNotWritten)
{
    CellObj cell;
    read(cell, "<CellObj xsi-type=\"Orb.CellObj\"><Id>c1</Id><ControlName>IPAddress</ControlName>"
               "<ControlType>30</ControlType><DefaultVlaue>127.0.0.1</DefaultVlaue>"
               "<IsReadOnly>false</IsReadOnly></CellObj>");
    EXPECT_EQ(cell.get(CellObj::ControlType), "30");
    EXPECT_EQ(cell.get(CellObj::DefaultVlaue), "127.0.0.1");
    const std::string text = write(cell);
    EXPECT_EQ(text.find("ControlType"), std::string::npos) << text;
    EXPECT_NE(text.find("<ControlName>IPAddress</ControlName><DefaultVlaue>127.0.0.1</DefaultVlaue>"),
              std::string::npos);
}

TEST(EntityObj, AuthenticMonitorListHasNoLengthLimit)
{
    std::string kinds;
    for (int kind = 1; kind <= 400; ++kind)
        kinds += (kind > 1 ? "," : "") + std::to_string(kind);
    EntityObj entity;
    ASSERT_TRUE(entity.set(EntityObj::AuthenticMonitor, kinds));
    EXPECT_FALSE(entity.set(EntityObj::des, std::string(64, 'd')));
    EntityObj back;
    read(back, write(entity));
    EXPECT_EQ(back.get(EntityObj::AuthenticMonitor), kinds);
}

namespace {

void setDepartment(MtxObj &node, const std::string &id, const std::string &parent)
{
    auto &department = dynamic_cast<DepartmentObj &>(node);
    department.set(DepartmentObj::ID, id);
    department.set(DepartmentObj::AllName, local("部门") + id);
    department.set(DepartmentObj::ParentID, parent);
    department.set(DepartmentObj::Description, "d" + id);
}

} // namespace

TEST(DepartmentTree, ThreeLevelsKeepShapeAndFields)
{
    MtxTree tree(std::make_unique<DepartmentObj>());
    setDepartment(tree.node(), "1", "0");
    for (int i = 0; i < 2; ++i) {
        MtxTree &child = tree.appendChild();
        setDepartment(child.node(), "1" + std::to_string(i), "1");
        for (int j = 0; j <= i; ++j)
            setDepartment(child.appendChild().node(), "1" + std::to_string(i) + std::to_string(j),
                          "1" + std::to_string(i));
    }
    const std::string text = write(tree);

    TableFactory securityService(accessTypes());
    std::unique_ptr<MtxObj> object = securityService.createObject("Orb.MtxTree");
    auto &back = dynamic_cast<MtxTree &>(*object);
    read(back, text);
    ASSERT_EQ(back.childCount(), 2u);
    EXPECT_EQ(back.child(0)->childCount(), 1u);
    ASSERT_EQ(back.child(1)->childCount(), 2u);
    const auto &deepest = dynamic_cast<const DepartmentObj &>(back.child(1)->child(1)->node());
    EXPECT_EQ(deepest.get(DepartmentObj::ID), "111");
    EXPECT_EQ(deepest.get(DepartmentObj::AllName), local("部门111"));
    EXPECT_EQ(deepest.get(DepartmentObj::ParentID), "11");
    EXPECT_EQ(deepest.get(DepartmentObj::Description), "d111");
    EXPECT_EQ(write(back), text);
}

namespace {

const char *const sysTypeTreeText =
    "<value xsi-type=\"Orb.MtxTree\"><SysTypeObj xsi-type=\"com.Velmora.sys.SysTypeObj\">"
    "<No>1</No><NodeName>root</NodeName><ParentNo>0</ParentNo><Description></Description>"
    "</SysTypeObj><MtxTree xsi-type=\"Orb.MtxTree\"><SysTypeObj "
    "xsi-type=\"com.Velmora.sys.SysTypeObj\"><No>2</No><NodeName>leaf</NodeName>"
    "<ParentNo>1</ParentNo><Description></Description></SysTypeObj></MtxTree></value>";

std::unique_ptr<MtxTree> systemTypeTree()
{
    TableFactory systemService(catalogTypes());
    std::unique_ptr<MtxObj> object = systemService.createObject("Orb.MtxTree");
    return std::unique_ptr<MtxTree>(dynamic_cast<MtxTree *>(object.release()));
}

void setSysType(MtxObj &node, const char *no, const char *name, const char *parent)
{
    auto &type = dynamic_cast<SysTypeObj &>(node);
    type.set(SysTypeObj::No, no);
    type.set(SysTypeObj::NodeName, name);
    type.set(SysTypeObj::ParentNo, parent);
}

} // namespace

TEST(SysTypeTree, WritesTheDocumentedExampleByteForByte)
{
    auto tree = systemTypeTree();
    ASSERT_TRUE(tree);
    setSysType(tree->node(), "1", "root", "0");
    setSysType(tree->appendChild().node(), "2", "leaf", "1");
    EXPECT_EQ(write(*tree), sysTypeTreeText);

    auto back = systemTypeTree();
    read(*back, sysTypeTreeText);
    EXPECT_EQ(write(*back), sysTypeTreeText);
    EXPECT_EQ(write(*back->child(0)),
              "<value xsi-type=\"Orb.MtxTree\"><SysTypeObj xsi-type=\"com.Velmora.sys.SysTypeObj\">"
              "<No>2</No><NodeName>leaf</NodeName><ParentNo>1</ParentNo>"
              "<Description></Description></SysTypeObj></value>")
        << "a tree without children writes only its node";
}

TEST(SysTypeTree, NodeAfterTheChildTreesIsStillRead)
{
    auto tree = systemTypeTree();
    read(*tree,
         "<value xsi-type=\"Orb.MtxTree\"><MtxTree xsi-type=\"Orb.MtxTree\"><SysTypeObj "
         "xsi-type=\"com.Velmora.sys.SysTypeObj\"><No>2</No><NodeName>leaf</NodeName>"
         "<ParentNo>1</ParentNo><Description></Description></SysTypeObj></MtxTree>"
         "<Other>ignored</Other>"
         "<SysTypeObj xsi-type=\"com.Velmora.sys.SysTypeObj\"><No>1</No><NodeName>root</NodeName>"
         "<ParentNo>0</ParentNo><Description></Description></SysTypeObj></value>");
    EXPECT_EQ(dynamic_cast<SysTypeObj &>(tree->node()).get(SysTypeObj::NodeName), "root");
    ASSERT_EQ(tree->childCount(), 1u);
    EXPECT_EQ(write(*tree), sysTypeTreeText) << "written back in the documented order";
}
