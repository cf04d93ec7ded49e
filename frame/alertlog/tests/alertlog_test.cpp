#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>

#include "frame/alertlog/alertlogdialog.h"
#include "frame/alertlog/servicealertlogsource.h"
#include "frame/localtext.h"
#include "testsupport/referenceserver.h"
#include "testsupport/tempfolder.h"
#include "testsupport/testhostapp.h"
#include "orb/net/orbclient.h"
#include "orb/wire/mtxarray.h"
#include "orb/wire/mtxstring.h"
#include "services/frame/tableservice.h"
#include "services/types/alertruleobj.h"
#include "services/types/servicetables.h"

namespace {

std::unique_ptr<AlertLogObj> Entry(const char *id, const QString &content)
{
    auto entry = std::make_unique<AlertLogObj>();
    entry->set(AlertLogObj::AlertLogID, id);
    entry->set(AlertLogObj::MonitorId, std::string("m-") + id);
    entry->setTruncated(AlertLogObj::Content, toLocal(content));
    return entry;
}

// A log whose fetch and clear answer as the test says.
class ScriptedSource : public CAlertLogSource
{
public:
    bool Fetch(MtxArray &entries) override
    {
        ++fetches;
        for (const char *id : ids)
            entries.append(Entry(id, QStringLiteral("检测超出阈值")));
        return fetchSucceeds;
    }
    bool Clear() override
    {
        ++clears;
        return clearSucceeds;
    }

    std::vector<const char *> ids{"a", "b"};
    bool fetchSucceeds = true;
    bool clearSucceeds = true;
    int fetches = 0;
    int clears = 0;
};

QStringList Column(const QAbstractItemModel &model, int column)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts << model.index(row, column).data().toString();
    return texts;
}

TEST(AlertLogModel, ShowsEntriesInReplyOrderAndLeavesOtherItems)
{
    EnsureApplication();
    CAlertLogModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    ASSERT_EQ(model.columnCount(), 12);
    QStringList headings;
    for (int column = 0; column < model.columnCount(); ++column)
        headings << model.headerData(column, Qt::Horizontal).toString();
    EXPECT_EQ(headings, (QStringList{"报警ID", "报警规则ID", "管理者", "报警时间", "是否发送", "报警名称", "对象",
                                     "报警类型", "是否成功", "备注", "检测ID", "检测结果"}));

    const QString longContent(1023 / 2, QChar(0x6d4b)); // 测, two bytes each in GBK
    MtxArray reply;
    reply.append(Entry("first", longContent));
    reply.append(std::make_unique<MtxString>("not a log entry"));
    reply.append(Entry("second", QStringLiteral("正常")));
    model.SetEntries(reply);
    EXPECT_EQ(Column(model, 0), (QStringList{"first", "second"}));
    EXPECT_EQ(Column(model, 10), (QStringList{"m-first", "m-second"}));
    EXPECT_EQ(model.index(0, 11).data().toString(), longContent) << "1022 bytes of GBK shown whole";
    EXPECT_EQ(model.index(1, 11).data().toString(), QStringLiteral("正常"));
    ASSERT_EQ(reply.size(), 1u) << "the entries were taken, the other item left";

    model.Clear();
    EXPECT_EQ(model.rowCount(), 0);
    MtxArray empty;
    model.SetEntries(empty);
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(AlertLogDialog, FetchesOnOpeningAndClearsOnlyWhenTheServerAgrees)
{
    EnsureApplication();
    ScriptedSource source;
    CAlertLogDialog dialog(source);
    EXPECT_EQ(source.fetches, 1);
    EXPECT_EQ(dialog.Model().rowCount(), 2);
    EXPECT_EQ(dialog.List()->objectName(), QStringLiteral("2001"));
    EXPECT_EQ(dialog.List()->selectionBehavior(), QAbstractItemView::SelectRows);
    QStringList shown;
    for (int column = 0; column < 12; ++column) {
        if (!dialog.List()->isColumnHidden(column))
            shown << dialog.Model().headerData(column, Qt::Horizontal).toString()
                         + QString::number(dialog.List()->columnWidth(column));
    }
    EXPECT_EQ(shown, (QStringList{"报警时间130", "是否发送60", "报警名称90", "报警类型60", "是否成功60", "检测ID90",
                                  "检测结果300"}));
    dialog.SetColumnWidth(10, 0);
    EXPECT_TRUE(dialog.List()->isColumnHidden(10)) << "the monitoring module hides 检测ID";

    source.ids = {"c"};
    source.fetchSucceeds = false;
    EXPECT_FALSE(dialog.Refresh());
    EXPECT_EQ(dialog.Model().rowCount(), 2) << "a failed fetch keeps the rows";

    source.clearSucceeds = false;
    dialog.ClearButton()->click();
    EXPECT_EQ(source.clears, 1);
    EXPECT_EQ(dialog.Model().rowCount(), 2) << "a refused clear keeps the rows";
    source.clearSucceeds = true;
    dialog.ClearButton()->click();
    EXPECT_EQ(dialog.Model().rowCount(), 0);
    EXPECT_TRUE(dialog.isHidden()) << "清除 does not close the dialog";

    dialog.show();
    dialog.OkButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    dialog.show();
    dialog.ExitButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST(AlertLogDialog, AsksBeforeClearingWhenAQuestionIsSet)
{
    EnsureApplication();
    RecordingApp app;
    ScriptedSource source;
    CAlertLogDialog dialog(source);
    dialog.SetClearQuestion(QStringLiteral("清除吗？"));
    app.answer = false;
    EXPECT_FALSE(dialog.ClearLog());
    EXPECT_EQ(app.questions, QStringList{QStringLiteral("清除吗？")});
    EXPECT_EQ(source.clears, 0) << "a declined question sends nothing";
    EXPECT_EQ(dialog.Model().rowCount(), 2);
    app.answer = true;
    EXPECT_TRUE(dialog.ClearLog());
    EXPECT_EQ(source.clears, 1);
    EXPECT_EQ(dialog.Model().rowCount(), 0);
}

// The monitoring and the alerting module's sources against the reference
// server's demo data: a rule's log, then a monitor's, each read and cleared.
TEST(ServiceAlertLogSource, ReadsAndClearsByRuleAndByMonitor)
{
    EnsureApplication();
    ReferenceServer server;
    ASSERT_TRUE(server.start()) << server.error();
    WorkingDirectory dir;
    TestHostApp app; // shows the server's messages
    OrbClient client("127.0.0.1", server.port(), server.port());
    MtxUserSession session;
    session.setUserName("admin");
    MtxStatus status;
    client.login(status, "admin", ReferenceServer::AdminPassword, "version", session);
    ASSERT_TRUE(status.succeeded()) << status.getMessage();
    TableService alerts(alarmTypes());
    alerts.setSession(session);
    alerts.setClient(&client);
    MtxArray rules;
    rules.setFactory(&alerts);
    status = alerts.invoke("findAlertRuleArray", {}, &rules);
    ASSERT_TRUE(status.succeeded()) << status.getCode() << ' ' << fromLocal(status.getMessage()).toStdString();
    ASSERT_GE(rules.size(), 2u);
    const auto ruleId = [&](std::size_t i) { return static_cast<AlertRuleObj &>(*rules.at(i)).get(AlertRuleObj::RuleID); };

    auto byRule = CServiceAlertLogSource::ByRule(&alerts, ruleId(0));
    CAlertLogDialog ruleLog(byRule);
    ASSERT_GT(ruleLog.Model().rowCount(), 0) << app.messages.join('|').toStdString();
    for (int row = 0; row < ruleLog.Model().rowCount(); ++row)
        EXPECT_EQ(ruleLog.Model().Entry(row).get(AlertLogObj::AlertRuleID), ruleId(0));
    EXPECT_TRUE(ruleLog.ClearLog());
    EXPECT_EQ(CAlertLogDialog(byRule).Model().rowCount(), 0) << "cleared on the server";

    auto byOtherRule = CServiceAlertLogSource::ByRule(&alerts, ruleId(1));
    CAlertLogDialog otherRule(byOtherRule);
    ASSERT_GT(otherRule.Model().rowCount(), 0) << "another rule's log is untouched";
    const std::string monitorId = otherRule.Model().Entry(0).get(AlertLogObj::MonitorId);
    auto byMonitor = CServiceAlertLogSource::ByMonitor(&alerts, monitorId);
    CAlertLogDialog monitorLog(byMonitor);
    ASSERT_GT(monitorLog.Model().rowCount(), 0);
    EXPECT_EQ(monitorLog.Model().Entry(0).get(AlertLogObj::MonitorId), monitorId);
    EXPECT_TRUE(monitorLog.ClearLog());
    EXPECT_EQ(CAlertLogDialog(byMonitor).Model().rowCount(), 0);
    EXPECT_TRUE(app.messages.isEmpty()) << app.messages.join('|').toStdString();

    // Without an identifier nothing is asked; without the service the user is told.
    auto noRule = CServiceAlertLogSource::ByRule(&alerts, "");
    EXPECT_EQ(CAlertLogDialog(noRule).Model().rowCount(), 0);
    EXPECT_TRUE(app.messages.isEmpty());
    auto noService = CServiceAlertLogSource::ByRule(nullptr, ruleId(1));
    CAlertLogDialog missing(noService);
    EXPECT_EQ(missing.Model().rowCount(), 0);
    ASSERT_EQ(app.messages.size(), 1);
    EXPECT_TRUE(app.messages.first().contains(QStringLiteral("SYSTEMSERVICE"))) << app.messages.first().toStdString();
}

} // namespace
