#include "orb/wire/mtxarray.h"
#include "orb/wire/mtxstring.h"
#include "orb/wire/mtxtree.h"
#include "server/core/schema.h"
#include "server/storage/storage.h"
#include "testsupport/servertest.h"
#include "services/types/elementobj.h"
#include "services/types/expressionparamitemobj.h"
#include "services/types/monitorobj.h"
#include "services/types/paramobj.h"
#include "services/types/tablefactory.h"

namespace {

constexpr const char *Element = "ElementService";

ElementObj element(const std::string &id, const std::string &parent, const char *type, const char *textUtf8)
{
    ElementObj record;
    record.set(ElementObj::ID, id);
    record.set(ElementObj::PID, parent);
    record.set(ElementObj::Type, type);
    record.set(ElementObj::Text, local(textUtf8));
    return record;
}

MonitorObj monitor(const std::string &id, const std::string &device)
{
    MonitorObj record;
    record.set(MonitorObj::Id, id);
    record.set(MonitorObj::ParentId, device);
    record.set(MonitorObj::MonitorType, "2");
    record.set(MonitorObj::Text, local("CPU使用率"));
    auto param = std::make_unique<ParamObj>();
    param->set(ParamObj::ParamName, "HostName");
    param->set(ParamObj::ParamValue, "127.0.0.9");
    record.params().append(std::move(param));
    auto clause = std::make_unique<ExpressionParamItemObj>();
    clause->set(ExpressionParamItemObj::itemId, "1");
    clause->set(ExpressionParamItemObj::paraName, "CpuUsage");
    clause->set(ExpressionParamItemObj::Operator, ">=");
    clause->set(ExpressionParamItemObj::paraValue, "90");
    record.condition().errorItems().append(std::move(clause));
    record.condition().set(StateConditionObj::Error, "1");
    return record;
}

MtxTree elementTree()
{
    MtxTree tree(std::make_unique<ElementObj>());
    tree.setFactory(&domainFactory());
    return tree;
}

const ElementObj &node(const MtxTree &tree)
{
    return static_cast<const ElementObj &>(tree.node());
}

class InventoryTest : public ServerTest
{
protected:
    std::string rootId()
    {
        MtxTree tree = elementTree();
        EXPECT_TRUE(admin().callText(Element, "findElementTree", {"-1"}, &tree).succeeded());
        return node(tree).get(ElementObj::ID);
    }
    MtxStatus add(const ElementObj &record, std::string *id = nullptr)
    {
        MtxString answer;
        MtxStatus status = admin().call(Element, "addElement", {&record}, &answer);
        if (id)
            *id = answer.getValue();
        return status;
    }
};

} // namespace

TEST_F(InventoryTest, ElementsAreAddedChangedAndShownInTheTree)
{
    const std::string root = rootId();
    ASSERT_FALSE(root.empty()) << "a new database has an inventory root";
    std::string answered;
    ASSERT_TRUE(add(element("g1", root, "1", "机房"), &answered).succeeded());
    EXPECT_EQ(answered, "g1") << "addElement answers the new ID";
    ASSERT_TRUE(add(element("d1", "g1", "3", "Web服务器")).succeeded());

    ElementObj changed = element("d1", "g1", "3", "Web服务器2");
    changed.set(ElementObj::Entity_IpAddress, "127.0.0.25");
    // A client's stale copy of the result fields does not overwrite them.
    changed.set(ElementObj::LastState, "2");
    changed.set(ElementObj::Monitor_Description, "stale");
    MtxString updated;
    ASSERT_TRUE(admin().call(Element, "updateElement", {&changed}, &updated).succeeded());
    EXPECT_STREQ(updated.getValue(), "d1");

    ElementObj selected;
    selected.setFactory(&domainFactory());
    ASSERT_TRUE(admin().callText(Element, "selectElementObj", {"d1"}, &selected).succeeded());
    EXPECT_EQ(selected.get(ElementObj::Text), local("Web服务器2"));
    EXPECT_EQ(selected.get(ElementObj::Entity_IpAddress), "127.0.0.25");
    EXPECT_EQ(selected.get(ElementObj::SEID), root) << "SEID defaults to the root";
    EXPECT_EQ(selected.get(ElementObj::LastState), "0");
    EXPECT_EQ(selected.get(ElementObj::Monitor_Description), "");

    for (const char *method : {"findElementTree", "findElementTree1"}) {
        MtxTree tree = elementTree();
        ASSERT_TRUE(admin().callText(Element, method, {"-1"}, &tree).succeeded()) << method;
        EXPECT_EQ(node(tree).get(ElementObj::Text), local("网络运维平台"));
        ASSERT_EQ(tree.childCount(), 1u) << method;
        ASSERT_EQ(tree.child(0)->childCount(), 1u);
        EXPECT_EQ(node(*tree.child(0)->child(0)).get(ElementObj::Text), local("Web服务器2"));
    }
    MtxTree part = elementTree();
    ASSERT_TRUE(admin().callText(Element, "findElementTree", {"g1"}, &part).succeeded());
    EXPECT_EQ(node(part).get(ElementObj::ID), "g1");
}

TEST_F(InventoryTest, RefusesBrokenTreesAndDeletesWholeSubtrees)
{
    const std::string root = rootId();
    ASSERT_TRUE(add(element("g1", root, "1", "组")).succeeded());
    ASSERT_TRUE(add(element("g2", "g1", "1", "子组")).succeeded());

    MtxStatus status = add(element("g1", root, "1", "重复"));
    EXPECT_STREQ(status.getCode(), "ALREADY_EXISTS") << messageOf(status);
    EXPECT_STREQ(add(element("x", "missing", "1", "孤儿")).getCode(), "NOT_FOUND");
    EXPECT_STREQ(add(element("y", root, "1", "")).getCode(), "BAD_REQUEST");

    ElementObj loop = element("g1", "g2", "1", "组");
    status = admin().call(Element, "updateElement", {&loop});
    EXPECT_STREQ(status.getCode(), "REFUSED") << "a group cannot move below its own child";

    status = admin().callText(Element, "deleteElement", {"g1"});
    EXPECT_EQ(messageOf(status), "REFUSED 有下一级，不能删除");
    EXPECT_STREQ(admin().callText(Element, "deleteElement", {root}).getCode(), "REFUSED");
    EXPECT_STREQ(admin().callText(Element, "deleteTreeElement", {root}).getCode(), "REFUSED");
    EXPECT_STREQ(admin().callText(Element, "selectElementObj", {"nope"}).getCode(), "NOT_FOUND");

    ASSERT_TRUE(admin().callText(Element, "deleteTreeElement", {"g1"}).succeeded());
    EXPECT_STREQ(admin().callText(Element, "selectElementObj", {"g2"}).getCode(), "NOT_FOUND");
    MtxTree tree = elementTree();
    ASSERT_TRUE(admin().callText(Element, "findElementTree", {"-1"}, &tree).succeeded());
    EXPECT_EQ(tree.childCount(), 0u);
    ASSERT_TRUE(add(element("g3", root, "1", "空组")).succeeded());
    EXPECT_TRUE(admin().callText(Element, "deleteElement", {"g3"}).succeeded()) << "a leaf can be deleted";
}

TEST_F(InventoryTest, MonitorsKeepParametersAndConditionsAndAppearUnderTheirDevice)
{
    const std::string root = rootId();
    ASSERT_TRUE(add(element("g1", root, "1", "组")).succeeded());
    ASSERT_TRUE(add(element("d1", "g1", "4", "数据库服务器")).succeeded());

    MonitorObj sent = monitor("m1", "d1");
    MtxString answered;
    MtxStatus status = admin().call(Element, "addMonitor", {&sent}, &answered);
    ASSERT_TRUE(status.succeeded()) << messageOf(status);
    EXPECT_STREQ(answered.getValue(), "m1");

    MonitorObj stored;
    stored.setFactory(&domainFactory());
    ASSERT_TRUE(admin().callText(Element, "selectMonitorObj", {"m1"}, &stored).succeeded());
    EXPECT_EQ(stored.get(MonitorObj::Text), local("CPU使用率"));
    ASSERT_EQ(stored.params().size(), 1u);
    EXPECT_EQ(static_cast<const ParamObj &>(*stored.params().at(0)).get(ParamObj::ParamValue), "127.0.0.9");
    ASSERT_EQ(stored.condition().errorItems().size(), 1u);
    EXPECT_EQ(static_cast<const ExpressionParamItemObj &>(*stored.condition().errorItems().at(0))
                  .get(ExpressionParamItemObj::Operator), ">=");

    MtxArray monitors;
    monitors.setFactory(&domainFactory());
    ASSERT_TRUE(admin().callText(Element, "findElementArray", {"d1"}, &monitors).succeeded());
    ASSERT_EQ(monitors.size(), 1u);
    const auto &mirror = dynamic_cast<const ElementObj &>(*monitors.at(0));
    EXPECT_EQ(mirror.get(ElementObj::ID), "m1");
    EXPECT_EQ(mirror.get(ElementObj::PID), "d1");
    EXPECT_EQ(mirror.get(ElementObj::Type), "5");
    EXPECT_EQ(mirror.get(ElementObj::Monitor_Type), "2");

    EXPECT_EQ(messageOf(admin().callText(Element, "deleteElement", {"d1"})), "REFUSED 有下一级，不能删除")
        << "a device with a monitor cannot be deleted";
    EXPECT_STREQ(admin().call(Element, "addMonitor", {&sent}).getCode(), "ALREADY_EXISTS");
    MonitorObj underGroup = monitor("m2", "g1");
    EXPECT_STREQ(admin().call(Element, "addMonitor", {&underGroup}).getCode(), "REFUSED");

    sent.set(MonitorObj::Text, local("处理器"));
    sent.set(MonitorObj::MStatus, "2");
    ASSERT_TRUE(admin().call(Element, "updateMonitor", {&sent}).succeeded());
    ElementObj selected;
    ASSERT_TRUE(admin().callText(Element, "selectElementObj", {"m1"}, &selected).succeeded());
    EXPECT_EQ(selected.get(ElementObj::Text), local("处理器")) << "the tree shows the monitor's new name";
    EXPECT_EQ(selected.get(ElementObj::MStatus), "2");

    ASSERT_TRUE(admin().callText(Element, "deleteMonitor", {"m1"}).succeeded());
    EXPECT_STREQ(admin().callText(Element, "selectMonitorObj", {"m1"}).getCode(), "NOT_FOUND");
    EXPECT_STREQ(admin().callText(Element, "deleteMonitor", {"m1"}).getCode(), "NOT_FOUND");
    EXPECT_TRUE(admin().callText(Element, "deleteElement", {"d1"}).succeeded());
}

namespace {
class DemoInventoryTest : public InventoryTest
{
protected:
    bool demo() const override { return true; }
};
} // namespace

TEST_F(DemoInventoryTest, RefreshRollsTheWorstMonitorStateUpTheTree)
{
    MtxTree tree = elementTree();
    ASSERT_TRUE(admin().callText(Element, "findElementTree", {"-1"}, &tree).succeeded());
    ASSERT_GE(tree.childCount(), 2u) << "the demo has groups";
    const std::string group = node(*tree.child(0)).get(ElementObj::ID);
    EXPECT_EQ(node(*tree.child(0)).get(ElementObj::LastState), "0");
    // One monitor of the group in error, as a check would leave it.
    auto firstMonitor = [&](auto &self, const MtxTree &at) -> std::string {
        if (node(at).get(ElementObj::Type) == "5")
            return node(at).get(ElementObj::ID);
        for (std::size_t i = 0; i < at.childCount(); ++i)
            if (std::string found = self(self, *at.child(i)); !found.empty())
                return found;
        return {};
    };
    const std::string monitor = firstMonitor(firstMonitor, *tree.child(0));
    ASSERT_FALSE(monitor.empty()) << "the demo group has monitors";
    m_server->storage().updateFields(schema::elements, Filter::where(ElementObj::ID, monitor),
                                     {{ElementObj::LastState, "2"}});

    ASSERT_TRUE(admin().callText(Element, "refreshDeviceStatus", {node(tree).get(ElementObj::ID)}).succeeded());
    ElementObj refreshed;
    ASSERT_TRUE(admin().callText(Element, "selectElementObj", {group}, &refreshed).succeeded());
    EXPECT_EQ(refreshed.get(ElementObj::LastState), "2") << "a monitor of the group is in error";
    EXPECT_FALSE(refreshed.get(ElementObj::LastChangeStateTime).empty());
    EXPECT_STREQ(admin().callText(Element, "refreshDeviceStatus", {"nope"}).getCode(), "NOT_FOUND");
}
