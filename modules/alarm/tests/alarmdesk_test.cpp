// AlarmDesk against the reference server in this process: the rule commands
// with the server's records checked afterwards, every change sequence with a
// refusal injected at each of its steps, the editor's checks and round trips,
// the monitor selection and the rule list.

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

#include <gtest/gtest.h>

#include "frame/alertlog/alertlogdialog.h"
#include "frame/alertlog/servicealertlogsource.h"
#include "frame/elementtree/elementtreemodel.h"
#include "frame/localtext.h"
#include "modules/alarm/alertdoc.h"
#include "modules/alarm/alerteditorpanel.h"
#include "modules/alarm/alertframe.h"
#include "modules/alarm/alertmodule.h"
#include "modules/alarm/alertruledialog.h"
#include "modules/alarm/monitorselectdialog.h"
#include "modules/alarm/rulelistdelegate.h"
#include "orb/wire/mtxarray.h"
#include "orb/wire/mtxstring.h"
#include "testsupport/modaloperator.h"
#include "testsupport/referenceserver.h"
#include "testsupport/tempfolder.h"
#include "testsupport/testhostapp.h"

namespace {

const QString Refusal = QStringLiteral("refused by the test");

// Refuses the n-th change call (a method that adds or deletes); reads pass.
class RefusingStore : public CAlertRuleStore
{
public:
    RefusingStore(OrbService *service, int refuseAt, std::string refusedMethod = {})
        : CAlertRuleStore(service), m_refuseAt(refuseAt), m_method(std::move(refusedMethod))
    {
    }
    int writes = 0;

protected:
    MtxStatus Invoke(const char *method, std::initializer_list<const MtxObj *> args, MtxObj *response) override
    {
        const std::string name(method);
        const bool write = name.starts_with("add") || name.starts_with("delete");
        if ((write && ++writes == m_refuseAt) || name == m_method) {
            MtxStatus status;
            status.set("REFUSED", toLocal(Refusal));
            return status;
        }
        return CAlertRuleStore::Invoke(method, args, response);
    }

private:
    int m_refuseAt;
    std::string m_method;
};

std::string Xml(const MtxObj &record)
{
    std::string out;
    record.toXML(out, record.getElementName(), 1);
    return out;
}

class AlarmDesk : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_server.start()) << m_server.error();
        m_dir = std::make_unique<WorkingDirectory>();
        QDir().mkpath(QStringLiteral("AlertConfig"));
        for (const char *file : {"AlertType.xml", "SendRule.xml", "AlertTypeParam.xml"}) {
            QFile source(QStringLiteral(ALARM_SAMPLE_DIR "/") + QLatin1String(file) + QStringLiteral(".in"));
            QFile target(QStringLiteral("AlertConfig/") + QLatin1String(file));
            ASSERT_TRUE(source.open(QIODevice::ReadOnly) && target.open(QIODevice::WriteOnly));
            target.write(QByteArray::fromStdString(toLocal(QString::fromUtf8(source.readAll()))));
        }
        const QDir bin(qEnvironmentVariable("KEEL_BIN_DIR"));
        WriteKeelsysIni(QStringLiteral("[SYS]\nmainServerIP=127.0.0.1\nmainServerPort=%1\ndomainPort=%1\n"
                                       "[SYSTEMSERVICE]\nserviceCount=2\nservice0.name=ElementService\n"
                                       "service0.DLLname=%2\nservice1.name=AlertService\nservice1.DLLname=%3\n"
                                       "[SYSTEMMODULE]\nmoduleCount=1\nmodule0.name=Alert\nmodule0.group=报警\n"
                                       "module0.DLLname=%4\n")
                            .arg(m_server.port())
                            .arg(bin.filePath(QStringLiteral("libInventorySvc.so")),
                                 bin.filePath(QStringLiteral("libAlarmSvc.so")),
                                 bin.filePath(QStringLiteral("libAlarmDesk.so"))));
        m_app = std::make_unique<TestHostApp>();
        m_app->LinkModule(bin.filePath(QStringLiteral("libAlarmDesk.so")), [] { return std::make_unique<CAlertModule>(); });
        m_app->SetCredentials(QStringLiteral("admin"), QString::fromLatin1(ReferenceServer::AdminPassword),
                              QStringLiteral("cn"));
        ASSERT_TRUE(m_app->InitInstance()) << Messages();
        m_app->OpenModule(QStringLiteral("Alert"));
        m_frame = qobject_cast<CAlertFrame *>(m_app->GetMainFrame()->MdiArea()->activeSubWindow());
        ASSERT_NE(m_frame, nullptr);
        m_doc = m_frame->Document();
        ASSERT_EQ(m_doc->Rules().rowCount(), 3) << Messages();
        m_app->messages.clear();
    }

    std::string Messages() const { return m_app->messages.join(QLatin1Char('|')).toStdString(); }
    OrbService *Service() { return m_app->GetService(QStringLiteral("AlertService")); }

    // Everything the server holds of every rule, in a comparable text.
    std::string Snapshot()
    {
        CAlertRuleStore store(Service());
        std::vector<AlertRuleObj> rules;
        EXPECT_TRUE(store.FetchRules(CAlertDoc::AllTypes, rules));
        std::map<std::string, std::string> byId;
        for (const AlertRuleObj &rule : rules) {
            CRuleRecords records;
            EXPECT_TRUE(store.Load(rule.get(AlertRuleObj::RuleID), records)) << rule.get(AlertRuleObj::RuleID);
            std::string text = Xml(records.rule) + Xml(records.parameter) + Xml(records.send);
            for (const auto &item : records.typeParameters)
                text += Xml(item);
            for (const auto &item : records.monitors)
                text += Xml(item);
            byId[rule.get(AlertRuleObj::RuleID)] = text;
        }
        std::string all;
        for (const auto &[id, text] : byId)
            all += text + "\n";
        return all;
    }

    int RowNamed(const char *name)
    {
        for (int row = 0; row < m_doc->Rules().rowCount(); ++row) {
            if (m_doc->Rules().index(row).data().toString() == QString::fromUtf8(name))
                return row;
        }
        return -1;
    }

    CRuleRecords Stored(const char *name)
    {
        CRuleRecords records;
        const int row = RowNamed(name);
        EXPECT_GE(row, 0) << name;
        if (row >= 0) {
            CAlertRuleStore store(Service());
            EXPECT_TRUE(store.Load(m_doc->Rules().Rule(row).get(AlertRuleObj::RuleID), records));
        }
        return records;
    }

    // Runs change with a refusal at each of steps change calls in turn: the
    // server stays as it was and no success is claimed. Then runs it whole.
    void RefuseEachStep(int steps, const std::function<bool()> &change, const QString &success)
    {
        const std::string before = Snapshot();
        for (int step = 1; step <= steps; ++step) {
            auto store = std::make_unique<RefusingStore>(Service(), step);
            RefusingStore *refusing = store.get();
            m_doc->SetStore(std::move(store));
            m_app->messages.clear();
            EXPECT_FALSE(change()) << "refused at step " << step;
            EXPECT_EQ(Snapshot(), before) << "refused at step " << step;
            EXPECT_TRUE(m_app->messages.contains(Refusal)) << step << ": " << Messages();
            EXPECT_FALSE(m_app->messages.contains(success)) << step;
            EXPECT_GE(refusing->writes, step);
        }
        auto store = std::make_unique<RefusingStore>(Service(), 0);
        RefusingStore *counting = store.get();
        m_doc->SetStore(std::move(store));
        m_app->messages.clear();
        EXPECT_TRUE(change()) << Messages();
        EXPECT_EQ(counting->writes, steps) << "the sequence has as many change calls as were refused in turn";
        EXPECT_TRUE(m_app->messages.contains(success)) << Messages();
    }

    ReferenceServer m_server;
    std::unique_ptr<WorkingDirectory> m_dir;
    std::unique_ptr<TestHostApp> m_app;
    CAlertFrame *m_frame = nullptr;
    CAlertDoc *m_doc = nullptr;
};

TEST_F(AlarmDesk, TypeTreeFiltersAndSelectionFillsTheDetail)
{
    CRuleListModel &rules = m_doc->Rules();
    QAbstractItemModelTester tester(&rules, QAbstractItemModelTester::FailureReportingMode::Fatal);
    const QModelIndex root = m_frame->Types().index(0, 0);
    m_frame->ChooseType(m_frame->Types().index(3, 0, root));
    ASSERT_EQ(rules.rowCount(), 1);
    EXPECT_EQ(rules.index(0).data().toString(), QStringLiteral("线路中断短信报警"));
    EXPECT_EQ(CRuleListModel::State(rules.index(0).data(CRuleListModel::StateRole).toInt()), CRuleListModel::State::On);
    m_frame->ChooseType(root);
    EXPECT_EQ(rules.rowCount(), 3) << "the root lists every rule again";

    m_frame->ChooseRule(rules.index(RowNamed("CPU过高邮件报警")));
    ASSERT_TRUE(m_doc->IsLoaded()) << Messages();
    const QStringList lines = m_frame->Detail()->toPlainText().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[1].trimmed(), QStringLiteral("报警规则名称: CPU过高邮件报警"));
    EXPECT_EQ(lines[5].trimmed(), QStringLiteral("报警是否启动: 1"));
    EXPECT_EQ(m_doc->WorkingSet().monitors.size(), 2u);
    EXPECT_EQ(m_doc->WorkingSet().typeParameters.size(), 2u);
    EXPECT_TRUE(m_frame->Command(CAlertFrame::EditRule)->isEnabled());
    EXPECT_TRUE(m_app->messages.isEmpty()) << Messages();
}

TEST_F(AlarmDesk, CommandsRefuseWithoutASelectionAndSendNothing)
{
    auto store = std::make_unique<RefusingStore>(Service(), 0);
    RefusingStore *counting = store.get();
    m_doc->SetStore(std::move(store));
    EXPECT_FALSE(m_doc->EditRule());
    EXPECT_FALSE(m_doc->DeleteRule());
    EXPECT_FALSE(m_doc->SwitchRule(true));
    EXPECT_FALSE(m_doc->SwitchRule(false));
    EXPECT_EQ(counting->writes, 0);
    EXPECT_EQ(m_app->messages,
              (QStringList{QStringLiteral("请选择要编辑的报警!"), QStringLiteral("请选择要删除的报警!"),
                           QStringLiteral("请选择要启动的报警!"), QStringLiteral("请选择要停止的报警!")}));
    EXPECT_FALSE(m_frame->Command(CAlertFrame::EditRule)->isEnabled());
}

TEST_F(AlarmDesk, UnreadableStatesShowAsUnknownWithOneMessage)
{
    m_doc->SetStore(std::make_unique<RefusingStore>(Service(), 0, "selectAlertRuleParameterObj"));
    EXPECT_TRUE(m_doc->FetchRules(CAlertDoc::AllTypes));
    ASSERT_EQ(m_doc->Rules().rowCount(), 3);
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(m_doc->Rules().StateOf(row), CRuleListModel::State::Unknown);
    ASSERT_EQ(m_app->messages.size(), 1) << Messages();
    EXPECT_TRUE(m_app->messages.first().contains(Refusal));

    // A rule whose records cannot be read cannot be edited or switched.
    EXPECT_FALSE(m_doc->SelectRule(0));
    EXPECT_FALSE(m_frame->Command(CAlertFrame::SwitchOn)->isEnabled());
}

TEST_F(AlarmDesk, EditStopsAtTheFirstRefusalAndRestoresTheRule)
{
    const CRuleRecords old = Stored("CPU过高邮件报警");
    CRuleRecords now = old;
    now.rule.set(AlertRuleObj::RuleName, toLocal(QStringLiteral("CPU改名")));
    now.parameter.set(AlertRuleParameterObj::Enabled, "1");
    now.typeParameters.pop_back();
    // 5 deletes, rule, parameter, send type, 1 type parameter, 2 monitors.
    RefuseEachStep(11, [&] { return m_doc->SaveEdit(old, now); }, QStringLiteral("报警修改成功!"));
    const CRuleRecords stored = Stored("CPU改名");
    EXPECT_EQ(stored.rule.get(AlertRuleObj::AddDateTime), old.rule.get(AlertRuleObj::AddDateTime));
    EXPECT_EQ(stored.typeParameters.size(), 1u);
    EXPECT_EQ(stored.monitors.size(), 2u);
}

TEST_F(AlarmDesk, AddRemovesAHalfMadeRule)
{
    CRuleRecords records = Stored("内存使用声音报警");
    records.SetRuleId("2b6c1f0e-0000-4000-8000-000000000001");
    records.rule.set(AlertRuleObj::RuleName, "new rule");
    // rule, parameter, send type, 1 type parameter, 1 monitor.
    RefuseEachStep(5, [&] { return m_doc->SaveNew(records); }, QStringLiteral("报警增加成功!"));
    EXPECT_GE(RowNamed("new rule"), 0) << "the list is fetched again";
    EXPECT_EQ(m_doc->SelectedId(), records.RuleId());
}

TEST_F(AlarmDesk, DeleteAsksAndRestoresOnRefusal)
{
    ASSERT_TRUE(m_doc->SelectRule(RowNamed("线路中断短信报警")));
    m_app->answer = false;
    const std::string before = Snapshot();
    EXPECT_FALSE(m_doc->DeleteRule());
    EXPECT_EQ(m_app->questions.size(), 1);
    EXPECT_EQ(Snapshot(), before);
    m_app->answer = true;
    RefuseEachStep(5, [&] {
        m_doc->SelectRule(RowNamed("线路中断短信报警"));
        return m_doc->DeleteRule();
    }, QStringLiteral("报警删除成功!"));
    EXPECT_EQ(m_doc->Rules().rowCount(), 2);
    EXPECT_FALSE(m_doc->HasSelection());
}

TEST_F(AlarmDesk, SwitchChangesOnlyEnabled)
{
    const CRuleRecords before = Stored("内存使用声音报警");
    RefuseEachStep(2, [&] {
        m_doc->SelectRule(RowNamed("内存使用声音报警"));
        return m_doc->SwitchRule(false);
    }, QStringLiteral("报警停止成功!"));
    CRuleRecords after = Stored("内存使用声音报警");
    EXPECT_EQ(after.parameter.get(AlertRuleParameterObj::Enabled), "0");
    after.parameter.set(AlertRuleParameterObj::Enabled, "1");
    EXPECT_EQ(Xml(after.parameter), Xml(before.parameter));
    EXPECT_EQ(m_doc->Rules().StateOf(RowNamed("内存使用声音报警")), CRuleListModel::State::Off);
}

// Fills the editor: name, alert type, send rule with counts, level, and a
// text in each parameter box.
void Fill(CAlertEditorPanel &panel, const QString &name, int type, int send)
{
    panel.NameEdit()->setText(name);
    panel.TypeButtons()[type]->click();
    panel.SendButtons()[send]->click();
    const QStringList counts{QStringLiteral("3"), QStringLiteral("5")};
    for (int box = 0; box < panel.CountEdits(send).size(); ++box)
        panel.CountEdits(send)[box]->setText(counts[box]);
    panel.LevelList()->setCurrentIndex(1);
    emit panel.LevelList()->activated(1);
    for (int box = 0; box < panel.ParameterEdits().size(); ++box)
        panel.ParameterEdits()[box]->setText(QStringLiteral("值%1-%2").arg(type).arg(box));
}

TEST_F(AlarmDesk, EditorRoundTripsEveryTypeAndSendRule)
{
    for (int type = 0; type < 4; ++type) {
        for (int send = 0; send < 3; ++send) {
            const QString name = QStringLiteral("规则%1%2").arg(type).arg(send);
            CRuleRecords fresh;
            fresh.SetRuleId(QStringLiteral("00000000-0000-4000-8000-0000000000%1%2").arg(type).arg(send).toStdString());
            CAlertRuleDialog add(fresh, true, [this](const CRuleRecords &r) { return m_doc->SaveNew(r); }, {});
            Fill(*add.Panel(), name, type, send);
            ASSERT_TRUE(add.Confirm()) << Messages();
            EXPECT_EQ(add.result(), QDialog::Accepted);

            const CRuleRecords stored = Stored(name.toUtf8().constData());
            EXPECT_EQ(stored.parameter.get(AlertRuleParameterObj::RuleType), std::to_string(type));
            EXPECT_EQ(stored.send.get(AlertSendTypeParameterObj::ParaValue), send == 2 ? "3|5" : "3");
            EXPECT_FALSE(stored.rule.get(AlertRuleObj::AddDateTime).empty());
            CAlertRuleDialog edit(stored, false, {}, {});
            CAlertEditorPanel &panel = *edit.Panel();
            EXPECT_EQ(panel.NameEdit()->text(), name);
            EXPECT_EQ(panel.RecordedType(), type);
            EXPECT_EQ(panel.RecordedSend(), send);
            EXPECT_TRUE(panel.TypeButtons()[type]->isChecked());
            EXPECT_EQ(panel.CountEdits(send).last()->text(), send == 2 ? QStringLiteral("5") : QStringLiteral("3"));
            EXPECT_EQ(panel.LevelList()->currentIndex(), 1);
            ASSERT_FALSE(panel.ParameterEdits().isEmpty());
            for (int box = 0; box < panel.ParameterEdits().size(); ++box)
                EXPECT_EQ(panel.ParameterEdits()[box]->text(), QStringLiteral("值%1-%2").arg(type).arg(box));
        }
    }
    EXPECT_EQ(m_doc->Rules().rowCount(), 15);
}

TEST_F(AlarmDesk, EditorChecksInputAndKeepsItWhenRefused)
{
    const std::string before = Snapshot();
    CRuleRecords fresh;
    fresh.SetRuleId("00000000-0000-4000-8000-00000000abcd");
    CAlertRuleDialog dialog(fresh, true, [this](const CRuleRecords &r) { return m_doc->SaveNew(r); }, {});
    CAlertEditorPanel &panel = *dialog.Panel();
    EXPECT_EQ(panel.RecordedType(), 0) << "the button that starts on is the recorded type";
    Fill(panel, QString(), 2, 2);
    EXPECT_EQ(dialog.Check(), QStringLiteral("请输入报警规则名称!"));
    panel.NameEdit()->setText(QString(32, QChar(u'名'))); // 64 bytes
    EXPECT_FALSE(dialog.Check().isEmpty());
    panel.NameEdit()->setText(QString(31, QChar(u'名')) + QLatin1Char('x')); // 63 bytes
    EXPECT_TRUE(dialog.Check().isEmpty()) << dialog.Check().toStdString();
    for (const char *bad : {"0", "10000", "x", ""}) {
        panel.CountEdits(2)[1]->setText(QString::fromLatin1(bad));
        EXPECT_FALSE(dialog.Check().isEmpty()) << bad;
        EXPECT_FALSE(dialog.Confirm());
    }
    panel.CountEdits(2)[1]->setText(QStringLiteral("9999"));
    EXPECT_EQ(Snapshot(), before) << "nothing is sent while the input is refused";

    m_doc->SetStore(std::make_unique<RefusingStore>(Service(), 2));
    EXPECT_FALSE(dialog.Confirm());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(panel.CountEdits(2)[1]->text(), QStringLiteral("9999"));
    EXPECT_EQ(Snapshot(), before);
    m_doc->SetStore(std::make_unique<CAlertRuleStore>(Service()));
    EXPECT_TRUE(dialog.Confirm()) << Messages();

    // Without any button that starts on, OK is refused until one is chosen.
    CAlertEditorPanel bare;
    CLayoutEntry button;
    button.rect = QRect(0, 80, 16, 16);
    bare.Build({button}, {button}, {});
    bare.NameEdit()->setText(QStringLiteral("n"));
    EXPECT_EQ(bare.RecordedType(), -1);
    EXPECT_EQ(bare.Check(), QStringLiteral("请选择报警方式!"));
    bare.TypeButtons()[0]->click();
    bare.TypeButtons()[0]->click(); // off again: the type stays recorded
    EXPECT_EQ(bare.Check(), QStringLiteral("请选择发送规则!"));
}

TEST_F(AlarmDesk, LoadingKeepsWhatTheEditorDoesNotShow)
{
    CRuleRecords stored = Stored("CPU过高邮件报警");
    stored.parameter.set(AlertRuleParameterObj::AlertLevel, "7");
    stored.parameter.set(AlertRuleParameterObj::SendType, "2");
    AlertRuleTypeParameterObj extra;
    extra.set(AlertRuleTypeParameterObj::ParaName, "MailServer");
    extra.set(AlertRuleTypeParameterObj::ParaValue, "127.0.0.1");
    stored.typeParameters.push_back(extra);
    for (const auto &[value, second] : {std::pair{"3|", ""}, {"3|12345678901234567", ""}, {"3|5", "5"}}) {
        stored.send.set(AlertSendTypeParameterObj::ParaValue, value);
        CAlertRuleDialog dialog(stored, false, {}, {});
        CAlertEditorPanel &panel = *dialog.Panel();
        EXPECT_EQ(panel.CountEdits(2)[0]->text(), QStringLiteral("3")) << value;
        EXPECT_EQ(panel.CountEdits(2)[1]->text(), QString::fromLatin1(second)) << value;
        CRuleRecords saved = stored;
        panel.Save(saved);
        EXPECT_EQ(saved.parameter.get(AlertRuleParameterObj::AlertLevel), "7") << "a level outside the list stays";
        ASSERT_EQ(saved.typeParameters.size(), 3u);
        EXPECT_EQ(saved.typeParameters.back().get(AlertRuleTypeParameterObj::ParaName), "MailServer");
        panel.ParameterEdits()[0]->setText(QStringLiteral("typed"));
        panel.TypeButtons()[0]->click(); // off: the boxes keep what was typed
        EXPECT_EQ(panel.ParameterEdits()[0]->text(), QStringLiteral("typed"));
        panel.TypeButtons()[1]->click();
        panel.Save(saved);
        EXPECT_EQ(saved.typeParameters.size(), 1u) << "another type keeps only its own boxes";
    }
}

TEST_F(AlarmDesk, MonitorSelectionKeepsMonitorsTheTreeDoesNotShow)
{
    ASSERT_TRUE(m_doc->LoadElementTree()) << Messages();
    CElementTreeModel &tree = m_doc->Elements();
    CRuleRecords records = Stored("CPU过高邮件报警");
    const QString watched = QString::fromStdString(records.monitors[0].get(AlertMonitorObj::MonitorId));
    AlertMonitorObj gone;
    gone.set(AlertMonitorObj::MonitorId, "ffffffff-0000-4000-8000-000000000000");
    records.monitors.push_back(gone);
    CMonitorSelectDialog dialog(tree, records.monitors);
    const QModelIndex item = tree.FindId(watched);
    ASSERT_TRUE(item.isValid());
    EXPECT_EQ(item.data(Qt::CheckStateRole).toInt(), Qt::Checked);
    tree.setData(item, Qt::Unchecked, Qt::CheckStateRole);
    const auto chosen = dialog.Monitors("rule");
    ASSERT_EQ(chosen.size(), 2u);
    EXPECT_EQ(chosen[0].get(AlertMonitorObj::MonitorId), records.monitors[1].get(AlertMonitorObj::MonitorId));
    EXPECT_EQ(chosen[1].get(AlertMonitorObj::MonitorId), "ffffffff-0000-4000-8000-000000000000");
    EXPECT_EQ(chosen[1].get(AlertMonitorObj::AlertRuleID), "rule");
}

// The first monitor of the inventory tree below parent.
QModelIndex FirstMonitor(const CElementTreeModel &tree, const QModelIndex &parent = {})
{
    for (int row = 0; row < tree.rowCount(parent); ++row) {
        const QModelIndex item = tree.index(row, 0, parent);
        if (tree.KindOf(item) == CElementTreeModel::Kind::Monitor)
            return item;
        if (const QModelIndex below = FirstMonitor(tree, item); below.isValid())
            return below;
    }
    return {};
}

// The menu commands open their dialogs: a new rule with a monitor chosen in
// the nested selection, and the rule's log cleared after the question.
TEST_F(AlarmDesk, CommandsRunTheirDialogs)
{
    QString chosen;
    ModalOperator editor([&](QWidget *modal) {
        if (auto *dialog = qobject_cast<CAlertRuleDialog *>(modal)) {
            Fill(*dialog->Panel(), QStringLiteral("经命令添加"), 3, 1);
            dialog->MonitorButton()->click(); // answered below
            dialog->OkButton()->click();
        }
    });
    ModalOperator selection([&](QWidget *modal) {
        if (auto *dialog = qobject_cast<CMonitorSelectDialog *>(modal)) {
            const QModelIndex monitor = FirstMonitor(m_doc->Elements());
            chosen = monitor.data(CElementTreeModel::IdRole).toString();
            m_doc->Elements().setData(monitor, Qt::Checked, Qt::CheckStateRole);
            dialog->accept();
        }
    });
    m_app->GetMainFrame()->RouteCommand(CAlertFrame::NewRule);
    EXPECT_TRUE(m_app->messages.contains(QStringLiteral("报警增加成功!"))) << Messages();
    ASSERT_FALSE(chosen.isEmpty());
    const CRuleRecords added = Stored("经命令添加");
    ASSERT_EQ(added.monitors.size(), 1u);
    EXPECT_EQ(added.monitors[0].get(AlertMonitorObj::MonitorId), chosen.toStdString());
    EXPECT_EQ(added.parameter.get(AlertRuleParameterObj::RuleType), "3");
    EXPECT_TRUE(m_frame->Command(CAlertFrame::ShowLog)->isEnabled()) << "the new rule is selected";

    m_frame->ChooseRule(m_doc->Rules().index(RowNamed("CPU过高邮件报警")));
    int rows = -1;
    ModalOperator log([&](QWidget *modal) {
        if (auto *dialog = qobject_cast<CAlertLogDialog *>(modal)) {
            rows = dialog->Model().rowCount();
            dialog->ClearButton()->click();
            dialog->OkButton()->click();
        }
    });
    m_app->GetMainFrame()->RouteCommand(CAlertFrame::ShowLog);
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(m_app->questions.size(), 1) << "清除 asks first";
    auto source = CServiceAlertLogSource::ByRule(Service(), m_doc->SelectedId());
    MtxArray entries;
    ASSERT_TRUE(source.Fetch(entries));
    EXPECT_EQ(entries.size(), 0u);
}

TEST(RuleListDelegate, NamesWrapByCharactersAndWidth)
{
    const QFont font;
    const QString name = QStringLiteral("非常长的报警规则名称用来测试按宽度换行而不是按字节数换行的效果");
    const QStringList lines = CRuleListDelegate::NameLines(name, font);
    EXPECT_GT(lines.size(), 1);
    EXPECT_EQ(lines.join(QString()), name) << "no character is lost or split";
    const QFontMetrics metrics(font);
    for (const QString &line : lines)
        EXPECT_LE(metrics.horizontalAdvance(line), CRuleListDelegate::NameRight - CRuleListDelegate::NameLeft);
    EXPECT_EQ(CRuleListDelegate::NameLines(QStringLiteral("short"), font).size(), 1);
}

} // namespace
