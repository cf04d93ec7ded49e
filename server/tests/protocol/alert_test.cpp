#include "orb/wire/mtxarray.h"
#include "orb/wire/mtxstring.h"
#include "orb/wire/mtxtree.h"
#include "server/storage/tabledefinition.h"
#include "testsupport/servertest.h"
#include "services/types/alertlogobj.h"
#include "services/types/alertmonitorobj.h"
#include "services/types/alertruleobj.h"
#include "services/types/alertruleparameterobj.h"
#include "services/types/alertruletypeparameterobj.h"
#include "services/types/alertsendtypeparameterobj.h"
#include "services/types/elementobj.h"
#include "services/types/tablefactory.h"

namespace {

constexpr const char *Alert = "AlertService";

class AlertTest : public ServerTest
{
protected:
    bool demo() const override { return true; }

    MtxArray list(const char *method, const std::vector<std::string> &args)
    {
        MtxArray items;
        items.setFactory(&domainFactory());
        MtxStatus status = admin().callText(Alert, method, args, &items);
        EXPECT_TRUE(status.succeeded()) << method << ": " << messageOf(status);
        return items;
    }
    std::string firstMonitorId()
    {
        MtxTree tree(std::make_unique<ElementObj>());
        tree.setFactory(&domainFactory());
        admin().callText("ElementService", "findElementTree", {"-1"}, &tree);
        // the first group's first device's first monitor
        const MtxTree *device = tree.child(0)->child(0)->child(0);
        return static_cast<const ElementObj &>(device->child(0)->node()).get(ElementObj::ID);
    }
};

template <class T>
T record(std::initializer_list<std::pair<int, const char *>> values)
{
    T object;
    for (auto [field, value] : values)
        object.set(field, local(value));
    return object;
}

} // namespace

TEST_F(AlertTest, ARuleIsAddedSwitchedListedByTypeAndDeletedWithWhatHangsOnIt)
{
    const std::string monitorId = firstMonitorId();
    auto rule = record<AlertRuleObj>({{AlertRuleObj::RuleID, "r1"}, {AlertRuleObj::RuleName, "测试规则"}});
    ASSERT_TRUE(admin().call(Alert, "addAlertRule", {&rule}).succeeded());
    auto parameter = record<AlertRuleParameterObj>({{AlertRuleParameterObj::RuleID, "r1"}, {AlertRuleParameterObj::RuleType, "2"},
                                                   {AlertRuleParameterObj::SendType, "1"}, {AlertRuleParameterObj::Enabled, "1"}});
    ASSERT_TRUE(admin().call(Alert, "addAlertRuleParameter", {&parameter}).succeeded());
    auto send = record<AlertSendTypeParameterObj>({{AlertSendTypeParameterObj::RuleID, "r1"},
                                                   {AlertSendTypeParameterObj::ParaName, "1"}, {AlertSendTypeParameterObj::ParaValue, "3"}});
    ASSERT_TRUE(admin().call(Alert, "addAlertSendTypeParameter", {&send}).succeeded());
    for (const char *name : {"ScriptPath", "Arguments"}) {
        auto typeParameter = record<AlertRuleTypeParameterObj>({{AlertRuleTypeParameterObj::RuleID, "r1"},
                                                                {AlertRuleTypeParameterObj::ParaName, name},
                                                                {AlertRuleTypeParameterObj::ParaValue, "/opt/x"}});
        ASSERT_TRUE(admin().call(Alert, "addRuleTypeParameter", {&typeParameter}).succeeded());
    }
    AlertMonitorObj link;
    link.set(AlertMonitorObj::AlertRuleID, "r1");
    link.set(AlertMonitorObj::MonitorId, monitorId);
    ASSERT_TRUE(admin().call(Alert, "addAlertMonitorObj", {&link}).succeeded());
    ASSERT_TRUE(admin().call(Alert, "addAlertMonitorObj", {&link}).succeeded()) << "adding a link twice keeps one";

    AlertRuleObj selected;
    ASSERT_TRUE(admin().callText(Alert, "selectAlertRuleObj", {"r1"}, &selected).succeeded());
    EXPECT_EQ(selected.get(AlertRuleObj::RuleName), local("测试规则"));
    EXPECT_FALSE(selected.get(AlertRuleObj::AddDateTime).empty()) << "the server dates a rule sent without a date";
    EXPECT_EQ(list("findAlertMonitorArray", {"r1"}).size(), 1u);
    EXPECT_EQ(list("findAlertRuleTypeParameterArray", {"r1"}).size(), 2u);
    AlertSendTypeParameterObj sendStored;
    ASSERT_TRUE(admin().callText(Alert, "selectAlertSendTypeParameterObj", {"r1"}, &sendStored).succeeded());
    EXPECT_EQ(sendStored.get(AlertSendTypeParameterObj::ParaValue), "3");

    // Switching off is delete, change, add.
    ASSERT_TRUE(admin().callText(Alert, "deleteAlertRuleParameterObj", {"r1"}).succeeded());
    parameter.set(AlertRuleParameterObj::Enabled, "0");
    ASSERT_TRUE(admin().call(Alert, "addAlertRuleParameter", {&parameter}).succeeded());
    AlertRuleParameterObj parameterStored;
    ASSERT_TRUE(admin().callText(Alert, "selectAlertRuleParameterObj", {"r1"}, &parameterStored).succeeded());
    EXPECT_EQ(parameterStored.get(AlertRuleParameterObj::Enabled), "0");

    auto byType = [&](const char *type) {
        std::vector<std::string> ids;
        for (const auto &item : list("refreshAlertRuleArray", {type}))
            ids.push_back(static_cast<const AlertRuleObj &>(*item).get(AlertRuleObj::RuleID));
        return ids;
    };
    EXPECT_EQ(byType("2"), std::vector<std::string>{"r1"}) << "the demo has no script rule";
    EXPECT_EQ(list("findAlertRuleArray", {}).size(), 4u) << "three demo rules and this one";

    ASSERT_TRUE(admin().callText(Alert, "deleteAlertRuleObj", {"r1"}).succeeded());
    EXPECT_STREQ(admin().callText(Alert, "selectAlertRuleObj", {"r1"}).getCode(), "NOT_FOUND");
    EXPECT_STREQ(admin().callText(Alert, "selectAlertRuleParameterObj", {"r1"}).getCode(), "NOT_FOUND");
    EXPECT_EQ(list("findAlertMonitorArray", {"r1"}).size(), 0u);
    EXPECT_EQ(list("findAlertRuleTypeParameterArray", {"r1"}).size(), 0u);
    EXPECT_TRUE(admin().callText(Alert, "deleteAlertMonitorObj", {"r1"}).succeeded()) << "removing nothing is fine";
    EXPECT_STREQ(admin().callText(Alert, "deleteAlertRuleObj", {"r1"}).getCode(), "NOT_FOUND");
}

TEST_F(AlertTest, RecordsOfAMissingRuleOrMonitorAreRefused)
{
    auto parameter = record<AlertRuleParameterObj>({{AlertRuleParameterObj::RuleID, "ghost"}});
    EXPECT_STREQ(admin().call(Alert, "addAlertRuleParameter", {&parameter}).getCode(), "NOT_FOUND");
    auto rule = record<AlertRuleObj>({{AlertRuleObj::RuleID, "r2"}, {AlertRuleObj::RuleName, "x"}});
    ASSERT_TRUE(admin().call(Alert, "addAlertRule", {&rule}).succeeded());
    EXPECT_STREQ(admin().call(Alert, "addAlertRule", {&rule}).getCode(), "ALREADY_EXISTS");
    AlertMonitorObj link;
    link.set(AlertMonitorObj::AlertRuleID, "r2");
    link.set(AlertMonitorObj::MonitorId, "no-such-monitor");
    EXPECT_STREQ(admin().call(Alert, "addAlertMonitorObj", {&link}).getCode(), "NOT_FOUND");
    auto nameless = record<AlertRuleObj>({{AlertRuleObj::RuleID, "r3"}});
    EXPECT_STREQ(admin().call(Alert, "addAlertRule", {&nameless}).getCode(), "BAD_REQUEST");
    EXPECT_STREQ(admin().callText(Alert, "addAlertRule", {"not a record"}).getCode(), "BAD_REQUEST");
}

TEST_F(AlertTest, AlertLogIsReadNewestFirstAndClearedPerRuleOrMonitor)
{
    MtxArray rules = list("findAlertRuleArray", {});
    ASSERT_FALSE(rules.empty());
    std::string ruleId;
    std::size_t entries = 0;
    for (const auto &item : rules) {
        std::string id = static_cast<const AlertRuleObj &>(*item).get(AlertRuleObj::RuleID);
        std::size_t count = list("findAlertLogArrayByRuleID", {id}).size();
        if (count > entries)
            entries = count, ruleId = id;
    }
    ASSERT_GE(entries, 2u) << "a demo rule has several log entries";
    MtxArray log = list("findAlertLogArrayByRuleID", {ruleId});
    auto time = [&](std::size_t i) {
        return static_cast<const AlertLogObj &>(*log.at(i)).get(AlertLogObj::AlertDateTime);
    };
    std::string monitorId = static_cast<const AlertLogObj &>(*log.at(0)).get(AlertLogObj::MonitorId);
    EXPECT_GT(sortableTime(time(0)), sortableTime(time(1))) << "newest first";
    EXPECT_GE(list("findAlertLogArrayByMonitorID", {monitorId}).size(), 1u);

    ASSERT_TRUE(admin().callText(Alert, "deleteAlertLogByMonitorID", {monitorId}).succeeded());
    EXPECT_EQ(list("findAlertLogArrayByMonitorID", {monitorId}).size(), 0u);
    EXPECT_EQ(list("findAlertLogArrayByRuleID", {ruleId}).size(), entries - 1);
    ASSERT_TRUE(admin().callText(Alert, "deleteAlertLogByRuleID", {ruleId}).succeeded());
    EXPECT_EQ(list("findAlertLogArrayByRuleID", {ruleId}).size(), 0u);
}
