// ProbeDesk in the host against the reference server with demo data: the
// tree, each command with its dialog, and the tree and the server agreeing
// afterwards; refusals change nothing locally.

#include <map>

#include <QButtonGroup>
#include <QAbstractButton>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QLineEdit>
#include <QMdiArea>
#include <QAbstractItemModelTester>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

#include "frame/localtext.h"
#include "frame/alertlog/alertlogdialog.h"
#include "modules/probe/controldialog.h"
#include "modules/probe/devicedialog.h"
#include "modules/probe/dialogrunner.h"
#include "modules/probe/groupdialog.h"
#include "modules/probe/inventoryactions.h"
#include "modules/probe/leftview.h"
#include "modules/probe/monitordialog.h"
#include "modules/probe/monitorsummary.h"
#include "modules/probe/monitortiledelegate.h"
#include "modules/probe/paramlist.h"
#include "modules/probe/probecommands.h"
#include "modules/probe/propertyform.h"
#include "modules/probe/rupview.h"
#include "modules/probe/tests/proberesponder.h"
#include "modules/probe/tests/probetestsupport.h"
#include "modules/probe/tmonitordoc.h"
#include "modules/probe/tmonitorframe.h"
#include "modules/probe/tmonitormodule.h"
#include "orb/net/orbservice.h"
#include "orb/textframe/textframe.h"
#include "orb/wire/mtxarray.h"
#include "orb/wire/mtxstring.h"
#include "orb/wire/mtxtree.h"
#include "services/types/elementobj.h"
#include "services/types/expressionparamitemobj.h"
#include "services/types/monitorobj.h"
#include "testsupport/referenceserver.h"
#include "testsupport/tempfolder.h"
#include "testsupport/testhostapp.h"

namespace {

using Kind = CElementTreeModel::Kind;

// The operator's part: fills each dialog that comes up and presses OK.
template <class Dialog>
DialogRunner::Runner Answer(std::function<void(Dialog &)> fill)
{
    return [fill](QDialog &dialog) {
        auto *typed = qobject_cast<Dialog *>(&dialog);
        if (!typed)
            return int(QDialog::Rejected);
        fill(*typed);
        dialog.accept();
        return dialog.result();
    };
}

class ProbeDeskTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_server = new ReferenceServer(true);
        ASSERT_TRUE(s_server->start()) << s_server->error();
    }
    static void TearDownTestSuite()
    {
        delete s_server;
        s_server = nullptr;
    }

    void SetUp() override
    {
        const QString library = QStringLiteral("libProbeDesk.so");
        const QDir bin(qEnvironmentVariable("KEEL_BIN_DIR"));
        WriteKeelsysIni(QStringLiteral("[SYS]\nmainServerIP=127.0.0.1\nmainServerPort=%1\ndomainPort=%2\nProServerPort=%6\n"
                                       "[SYSTEMSERVICE]\nserviceCount=2\nservice0.name=ElementService\nservice0.DLLname=%3\n"
                                       "service1.name=AlertService\nservice1.DLLname=%5\n"
                                       "[SYSTEMMODULE]\nmoduleCount=1\nmodule0.name=TMonitor\nmodule0.DLLname=%4\n")
                            .arg(s_server->port())
                            .arg(s_server->discoveryPort())
                            .arg(bin.filePath(QStringLiteral("libInventorySvc.so")), library,
                                 bin.filePath(QStringLiteral("libAlarmSvc.so")))
                            .arg(m_probe.Port()));
        m_app.LinkModule(library, [] { return std::make_unique<CTMonitorModule>(); });
        m_app.SetCredentials(QStringLiteral("admin"), QString::fromLatin1(ReferenceServer::AdminPassword), QStringLiteral("cn"));
        ASSERT_TRUE(m_app.InitInstance()) << m_app.messages.join(QLatin1Char('|')).toStdString();
        m_app.OpenModule(QStringLiteral("TMonitor"));
        m_frame = qobject_cast<CTMonitorFrame *>(m_app.GetMainFrame()->MdiArea()->activeSubWindow());
        ASSERT_NE(m_frame, nullptr) << m_app.messages.join(QLatin1Char('|')).toStdString();
        m_doc = m_frame->Document();
        ASSERT_EQ(Tree().rowCount(), 1) << m_app.messages.join(QLatin1Char('|')).toStdString();
        m_app.messages.clear();
    }
    void TearDown() override { DialogRunner::SetRunner({}); }

    CElementTreeModel &Tree() { return m_doc->Tree(); }
    QModelIndex Root() { return Tree().index(0, 0); }
    QString Id(const QModelIndex &item) { return item.data(CElementTreeModel::IdRole).toString(); }

    // The first item whose label is text (or starts with it, for labels that
    // carry the device's address).
    QModelIndex FindText(const QString &text, const QModelIndex &parent = {})
    {
        for (int row = 0; row < Tree().rowCount(parent); ++row) {
            const QModelIndex item = Tree().index(row, 0, parent);
            if (item.data().toString().startsWith(text))
                return item;
            if (const QModelIndex found = FindText(text, item); found.isValid())
                return found;
        }
        return {};
    }
    void Select(const QModelIndex &item) { m_frame->LeftView()->setCurrentIndex(item); }
    bool Run(int command) { return m_frame->OnCommand(command); }

    // ID -> (parent ID, text) of every element, from the model and from the server.
    using Shape = std::map<QString, std::pair<QString, QString>>;
    Shape ModelShape()
    {
        Shape shape;
        std::function<void(const QModelIndex &)> walk = [&](const QModelIndex &parent) {
            for (int row = 0; row < Tree().rowCount(parent); ++row) {
                const QModelIndex item = Tree().index(row, 0, parent);
                shape[Id(item)] = {parent.isValid() ? Id(parent) : QString(), item.data().toString()};
                walk(item);
            }
        };
        walk({});
        return shape;
    }
    Shape ServerShape()
    {
        MtxTree tree(std::make_unique<ElementObj>());
        const MtxString all("-1");
        EXPECT_TRUE(m_doc->Service()->invoke("findElementTree", {&all}, &tree).succeeded());
        Shape shape;
        std::function<void(const MtxTree &, const QString &)> walk = [&](const MtxTree &node, const QString &parent) {
            const auto &element = static_cast<const ElementObj &>(node.node());
            const QString id = fromLocal(element.get(ElementObj::ID));
            shape[id] = {parent, fromLocal(element.get(ElementObj::Text))};
            for (std::size_t i = 0; i < node.childCount(); ++i)
                walk(*node.child(i), id);
        };
        walk(tree, QString());
        return shape;
    }
    ElementObj ServerElement(const QString &id)
    {
        ElementObj element;
        const MtxString argument(toLocal(id).c_str());
        element.setFactory(m_doc->Service());
        EXPECT_TRUE(m_doc->Service()->invoke("selectElementObj", {&argument}, &element).succeeded());
        return element;
    }
    MonitorObj ServerMonitor(const QString &id)
    {
        MonitorObj monitor;
        const MtxString argument(toLocal(id).c_str());
        monitor.setFactory(m_doc->Service());
        EXPECT_TRUE(m_doc->Service()->invoke("selectMonitorObj", {&argument}, &monitor).succeeded());
        return monitor;
    }

    static ReferenceServer *s_server;
    ProbeResponder m_probe{"done</end>"};
    SampleInstallation m_installation;
    WorkingDirectory m_dir;
    TestHostApp m_app;
    CTMonitorFrame *m_frame = nullptr;
    CTMonitorDoc *m_doc = nullptr;
};

ReferenceServer *ProbeDeskTest::s_server = nullptr;

TEST_F(ProbeDeskTest, CommandsFollowTheSelectionAndMenusTheKind)
{
    for (const auto &declared : ProbeCommand::Declarations())
        EXPECT_EQ(m_frame->Command(declared.command)->isEnabled(), declared.command == ProbeCommand::Reload)
            << declared.text << ": nothing is selected yet";
    QToolBar *toolBar = m_app.GetMainFrame()->ModuleToolBar();
    ASSERT_NE(toolBar, nullptr);
    EXPECT_EQ(toolBar->objectName(), QStringLiteral("17002"));
    Run(ProbeCommand::Delete);
    EXPECT_TRUE(m_app.messages.isEmpty()) << "a disabled command does nothing";

    const QModelIndex web = FindText(QStringLiteral("Web服务器("));
    ASSERT_TRUE(web.isValid());
    ASSERT_GT(Tree().rowCount(web), 0);
    Select(web);
    EXPECT_EQ(QModelIndex(m_doc->Current()), web) << "the current node follows the selection";
    EXPECT_TRUE(m_frame->Command(ProbeCommand::AddMonitor)->isEnabled());
    EXPECT_FALSE(m_frame->Command(ProbeCommand::AddGroup)->isEnabled());
    EXPECT_EQ(m_frame->DetailView()->Monitors().rowCount(), Tree().rowCount(web)) << "the detail view lists its monitors";

    // Menus by kind: the root's ID is 36 characters, monitors are not devices.
    CLeftView *view = m_frame->LeftView();
    view->resize(400, 800);
    view->expandAll();
    const struct
    {
        QModelIndex item;
        const char *title;
    } menus[] = {{Root(), "组维护"}, {FindText(QStringLiteral("北京数据中心")), "组菜单"}, {web, "设备维护"},
                 {Tree().index(0, 0, web), "检测维护"}};
    for (const auto &menu : menus) {
        ASSERT_TRUE(menu.item.isValid()) << menu.title;
        view->scrollTo(menu.item);
        std::unique_ptr<QMenu> popup(view->MenuAt(view->visualRect(menu.item).center()));
        ASSERT_NE(popup, nullptr) << menu.title;
        EXPECT_EQ(popup->title(), QString::fromUtf8(menu.title));
        EXPECT_EQ(QModelIndex(m_doc->Current()), menu.item) << "a right click selects the item";
    }
    EXPECT_EQ(view->MenuAt(QPoint(390, 790)), nullptr) << "empty space opens no menu";

    // A device with monitors cannot be deleted, and nothing is sent.
    Select(web);
    EXPECT_TRUE(Run(ProbeCommand::Delete));
    EXPECT_EQ(m_app.messages, QStringList{QStringLiteral("设备下有检测，不能删除!")});
    EXPECT_TRUE(FindText(QStringLiteral("Web服务器(")).isValid());
}

TEST_F(ProbeDeskTest, GroupsAndDevicesAddedEditedAndDeleted)
{
    Select(Root());
    DialogRunner::SetRunner(Answer<CGroupDialog>([](CGroupDialog &dialog) {
        dialog.NameEdit()->setText(QStringLiteral("测试机房"));
        dialog.DescriptionEdit()->setText(QStringLiteral("三楼"));
    }));
    ASSERT_TRUE(Run(ProbeCommand::AddGroup));
    const QModelIndex group = FindText(QStringLiteral("测试机房"));
    ASSERT_TRUE(group.isValid()) << m_app.messages.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(group.parent(), Root());
    EXPECT_EQ(fromLocal(ServerElement(Id(group)).get(ElementObj::Monitor_Description)), QStringLiteral("三楼"));

    Select(group);
    DialogRunner::SetRunner(Answer<CGroupDialog>([](CGroupDialog &dialog) {
        EXPECT_EQ(dialog.DescriptionEdit()->text(), QStringLiteral("三楼"));
        dialog.NameEdit()->setText(QStringLiteral("测试机房二"));
    }));
    ASSERT_TRUE(Run(ProbeCommand::ModifyGroup));
    EXPECT_EQ(group.data().toString(), QStringLiteral("测试机房二"));

    DialogRunner::SetRunner(Answer<CDeviceDialog>([](CDeviceDialog &dialog) {
        ASSERT_TRUE(dialog.ChooseType(QStringLiteral("4")));
        dialog.Form()->Edit(QStringLiteral("Lable"))->setText(QStringLiteral("测试主机"));
        dialog.Form()->Edit(QStringLiteral("IPAddress"))->setText(QStringLiteral("127.0.0.9"));
        dialog.Form()->List(QStringLiteral("OS"))->setCurrentIndex(1);
    }));
    ASSERT_TRUE(Run(ProbeCommand::AddDevice));
    const QModelIndex device = FindText(QStringLiteral("测试主机"));
    ASSERT_TRUE(device.isValid()) << m_app.messages.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(Tree().KindOf(device), Kind::Device);
    ElementObj stored = ServerElement(Id(device));
    EXPECT_EQ(stored.get(ElementObj::Type), "4");
    EXPECT_EQ(stored.get(ElementObj::Entity_IpAddress), "127.0.0.9");
    EXPECT_EQ(ParamList::Value(stored.params(), QStringLiteral("OS")), QStringLiteral("2"));

    // Editing replaces by name: no second "Community", the option preselected.
    Select(device);
    DialogRunner::SetRunner(Answer<CDeviceDialog>([](CDeviceDialog &dialog) {
        EXPECT_EQ(dialog.Form()->List(QStringLiteral("OS"))->currentData().toString(), QStringLiteral("2"));
        dialog.Form()->Edit(QStringLiteral("Community"))->setText(QStringLiteral("private"));
    }));
    ASSERT_TRUE(Run(ProbeCommand::EditDevice));
    stored = ServerElement(Id(device));
    EXPECT_EQ(ParamList::Value(stored.params(), QStringLiteral("Community")), QStringLiteral("private"));
    EXPECT_EQ(stored.params().size(), 4u) << "Community, OS, User, Password";

    // A group with a child is refused locally; the whole subtree goes at once,
    // after the operator agrees.
    Select(group);
    EXPECT_TRUE(Run(ProbeCommand::DeleteGroup));
    EXPECT_TRUE(m_app.messages.contains(QStringLiteral("有下一级，不能删除")));
    m_app.answer = false;
    Run(ProbeCommand::DeleteTree);
    EXPECT_TRUE(group.isValid()) << "declined: nothing deleted";
    m_app.answer = true;
    const int questions = int(m_app.questions.size());
    ASSERT_TRUE(Run(ProbeCommand::DeleteTree));
    EXPECT_EQ(m_app.questions.size(), questions + 1);
    EXPECT_FALSE(FindText(QStringLiteral("测试机房二")).isValid());
    EXPECT_FALSE(m_doc->Current().isValid()) << "the deleted node is forgotten, not passed to a neighbour";
    EXPECT_FALSE(m_frame->Command(ProbeCommand::Edit)->isEnabled());
    EXPECT_EQ(ModelShape(), ServerShape());
}

TEST_F(ProbeDeskTest, MonitorsWithConditionsAndSchedules)
{
    const QModelIndex web = FindText(QStringLiteral("Web服务器("));
    ASSERT_TRUE(web.isValid());
    const int monitors = Tree().rowCount(web);
    Select(web);
    const QString address = fromLocal(Tree().Element(web)->get(ElementObj::Entity_IpAddress));
    DialogRunner::SetRunner(Answer<CMonitorDialog>([address](CMonitorDialog &dialog) {
        ASSERT_TRUE(dialog.ChooseKind(QStringLiteral("2")));
        EXPECT_EQ(dialog.Parameters()->Edit(QStringLiteral("HostName"))->text(), address);
        dialog.NameEdit()->setText(QStringLiteral("CPU测试"));
        dialog.ConditionBox(CMonitorDialog::Warning)->setText(QStringLiteral("[CPU使用率 > 80]and [CPU使用率 < 99]"));
    }));
    ASSERT_TRUE(Run(ProbeCommand::AddMonitor));
    ASSERT_EQ(Tree().rowCount(web), monitors + 1) << m_app.messages.join(QLatin1Char('|')).toStdString();
    const QModelIndex monitor = Tree().index(monitors, 0, web);
    EXPECT_EQ(monitor.data().toString(), QStringLiteral("CPU测试"));
    EXPECT_EQ(Tree().KindOf(monitor), Kind::Monitor);
    EXPECT_EQ(m_frame->DetailView()->Monitors().rowCount(), monitors + 1);
    MonitorObj stored = ServerMonitor(Id(monitor));
    EXPECT_EQ(stored.get(MonitorObj::MonitorType), "2");
    EXPECT_EQ(stored.condition().get(StateConditionObj::Warning), "1#and#2");
    ASSERT_EQ(stored.condition().warningItems().size(), 2u);
    EXPECT_EQ(static_cast<const ExpressionParamItemObj &>(*stored.condition().warningItems().at(1))
                  .get(ExpressionParamItemObj::Operator), "<");

    // Editing shows the stored conditions, replaces one and clears another.
    Select(monitor);
    DialogRunner::SetRunner(Answer<CMonitorDialog>([](CMonitorDialog &dialog) {
        EXPECT_EQ(dialog.ConditionBox(CMonitorDialog::Warning)->text(),
                  QStringLiteral("[CPU使用率 > 80]and [CPU使用率 < 99]"));
        dialog.ConditionBox(CMonitorDialog::Warning)->setText(QStringLiteral("[CPU使用率 >= 70]"));
        dialog.ConditionBox(CMonitorDialog::Error)->clear();
    }));
    ASSERT_TRUE(Run(ProbeCommand::Edit));
    stored = ServerMonitor(Id(monitor));
    EXPECT_EQ(stored.condition().warningItems().size(), 1u);
    EXPECT_EQ(stored.condition().get(StateConditionObj::Warning), "1");
    EXPECT_TRUE(stored.condition().errorItems().empty());
    EXPECT_EQ(stored.condition().get(StateConditionObj::Error), "");
    EXPECT_FALSE(stored.condition().normalItems().empty()) << "the untouched box keeps its condition";

    // A condition that cannot hold is refused in the dialog: nothing is sent.
    DialogRunner::SetRunner(Answer<CMonitorDialog>([](CMonitorDialog &dialog) {
        dialog.ConditionBox(CMonitorDialog::Normal)->setText(QStringLiteral("[CPU使用率 > 1][CPU使用率 < 5]"));
    }));
    Run(ProbeCommand::Edit);
    EXPECT_TRUE(m_app.messages.last().startsWith(QStringLiteral("正常条件"))) << m_app.messages.last().toStdString();
    EXPECT_EQ(ServerMonitor(Id(monitor)).condition().get(StateConditionObj::Warning), "1");

    // Schedules of the monitor and of its device.
    DialogRunner::SetRunner(Answer<CControlDialog>([](CControlDialog &dialog) {
        dialog.Modes()->button(3)->setChecked(true);
        dialog.StartEdit()->setDateTime(QDateTime(QDate(2026, 5, 1), QTime(8, 0)));
        dialog.EndEdit()->setDateTime(QDateTime(QDate(2026, 5, 2), QTime(18, 30, 5)));
    }));
    ASSERT_TRUE(Run(ProbeCommand::AlertControl));
    stored = ServerMonitor(Id(monitor));
    EXPECT_EQ(stored.get(MonitorObj::AStatus), "3");
    EXPECT_EQ(stored.get(MonitorObj::AETime), "2026-5-2 18:30:5");
    Select(web);
    ASSERT_TRUE(Run(ProbeCommand::MonitorControl));
    EXPECT_EQ(ServerElement(Id(web)).get(ElementObj::MSTime), "2026-5-1 8:0:0");

    Select(monitor);
    ASSERT_TRUE(Run(ProbeCommand::Delete));
    EXPECT_EQ(Tree().rowCount(web), monitors);
    EXPECT_EQ(ModelShape(), ServerShape());
}

TEST_F(ProbeDeskTest, RefusedCallChangesNothingLocally)
{
    Select(Root());
    DialogRunner::SetRunner(Answer<CGroupDialog>([](CGroupDialog &dialog) { dialog.NameEdit()->setText(QStringLiteral("将被删除")); }));
    ASSERT_TRUE(Run(ProbeCommand::AddGroup));
    const QModelIndex group = FindText(QStringLiteral("将被删除"));
    ASSERT_TRUE(group.isValid());
    // Another operator removes it meanwhile.
    const MtxString id(toLocal(Id(group)).c_str());
    ASSERT_TRUE(m_doc->Service()->invoke("deleteElement", {&id}).succeeded());

    Select(group);
    DialogRunner::SetRunner(Answer<CGroupDialog>([](CGroupDialog &dialog) { dialog.NameEdit()->setText(QStringLiteral("新名")); }));
    m_app.messages.clear();
    Run(ProbeCommand::AddGroup);
    EXPECT_EQ(Tree().rowCount(group), 0) << "a refused add inserts nothing";
    EXPECT_FALSE(m_app.messages.isEmpty()) << "the server's message is shown";
    Run(ProbeCommand::Delete);
    EXPECT_EQ(group.data().toString(), QStringLiteral("将被删除")) << "a refused delete keeps the node";

    ASSERT_TRUE(Run(ProbeCommand::Reload));
    EXPECT_FALSE(FindText(QStringLiteral("将被删除")).isValid());
    EXPECT_EQ(ModelShape(), ServerShape());
}

} // namespace

TEST_F(ProbeDeskTest, MonitorPanelTilesTestRunAndAlertLog)
{
    const QModelIndex web = FindText(QStringLiteral("Web服务器("));
    ASSERT_TRUE(web.isValid());
    Select(web);
    CRUpView *panel = m_frame->DetailView();
    ASSERT_EQ(panel->Monitors().rowCount(), Tree().rowCount(web)) << "one tile per monitor";
    ASSERT_GT(panel->Monitors().rowCount(), 0);
    QAbstractItemModelTester tester(&panel->Monitors(), QAbstractItemModelTester::FailureReportingMode::Warning);

    // A tile's button is found where the delegate paints it.
    panel->resize(900, 700);
    panel->show();
    const QRect tile = panel->Tiles()->visualRect(panel->Monitors().index(0, 0));
    ASSERT_TRUE(tile.isValid());
    const QRect status = CMonitorTileDelegate::ButtonRect(tile.adjusted(1, 1, -1, -1), CMonitorTileDelegate::Status);
    QTest::mouseClick(panel->Tiles()->viewport(), Qt::LeftButton, {}, status.center());
    EXPECT_EQ(panel->Tiles()->currentIndex().row(), 0) << "Status selects the tile";
    const ElementObj first = *panel->Monitors().Element(0);
    const QString firstId = fromLocal(first.get(ElementObj::ID));
    const QStringList summary = panel->Summary()->toPlainText().split(QLatin1Char('\n'));
    ASSERT_EQ(summary.size(), 7);
    EXPECT_EQ(summary[0], QStringLiteral("ID: ") + firstId);
    EXPECT_EQ(summary[3], QStringLiteral("检测名称:   ") + fromLocal(first.get(ElementObj::Text)) + QLatin1Char(' '));
    EXPECT_EQ(MonitorSummary::Text(first).count(QStringLiteral("\r\n")), 6) << "CR LF between lines, none after";

    // "Test": the frame reaches the probe with the monitor's six fields.
    panel->PressTile(0, CMonitorTileDelegate::Test);
    EXPECT_TRUE(m_app.messages.isEmpty()) << m_app.messages.join(QLatin1Char('|')).toStdString();
    ASSERT_EQ(m_probe.Frames().size(), 1u);
    const MonitorObj monitor = ServerMonitor(firstId);
    const std::string frame = m_probe.Frames()[0];
    const auto fields = textframe::split(std::string_view(frame).substr(textframe::HeaderSize)).fields;
    ASSERT_EQ(fields.size(), 6u);
    EXPECT_EQ(frame.substr(0, 2), "DT");
    EXPECT_EQ(fields[0], monitor.get(MonitorObj::seid));
    EXPECT_EQ(fields[1], toLocal(Id(web)));
    EXPECT_EQ(fields[2], toLocal(firstId));
    EXPECT_EQ(fields[3], monitor.get(MonitorObj::MonitorType));
    EXPECT_EQ(panel->Tiles()->currentIndex().row(), 0) << "the refreshed panel keeps the selection";

    // A reply without the end mark is a failure with a message.
    m_probe.SetReply("half");
    CInventoryActions actions(*m_doc, m_frame);
    EXPECT_FALSE(actions.TestMonitor(first));
    EXPECT_EQ(m_app.messages.size(), 1);
    EXPECT_EQ(m_probe.Frames().size(), 2u);

    // "Alert": the monitor's log, as the server has it.
    int shownRows = -1;
    DialogRunner::SetRunner([&](QDialog &dialog) {
        if (auto *log = qobject_cast<CAlertLogDialog *>(&dialog))
            shownRows = log->Model().rowCount();
        return int(QDialog::Rejected);
    });
    OrbService *alerts = m_app.GetService(QStringLiteral("AlertService"));
    ASSERT_NE(alerts, nullptr);
    const auto logSize = [&](int row) {
        MtxArray log;
        const MtxString argument(panel->Monitors().Element(row)->get(ElementObj::ID).c_str());
        log.setFactory(alerts);
        EXPECT_TRUE(alerts->invoke("findAlertLogArrayByMonitorID", {&argument}, &log).succeeded());
        return int(log.size());
    };
    int row = 0;
    while (row < panel->Monitors().rowCount() && logSize(row) == 0)
        ++row;
    ASSERT_LT(row, panel->Monitors().rowCount()) << "a demo monitor of the device has a log";
    panel->PressTile(row, CMonitorTileDelegate::Alert);
    EXPECT_EQ(shownRows, logSize(row));
}

TEST_F(ProbeDeskTest, DynamicListFillsItsParameterFromTheProbe)
{
    QModelIndex router;
    std::function<void(const QModelIndex &)> find = [&](const QModelIndex &parent) {
        for (int row = 0; row < Tree().rowCount(parent) && !router.isValid(); ++row) {
            const QModelIndex item = Tree().index(row, 0, parent);
            if (Tree().KindOf(item) == Kind::Device && Tree().Element(item)->get(ElementObj::Type) == "2")
                router = item;
            find(item);
        }
    };
    find({});
    ASSERT_TRUE(router.isValid()) << "the demo has a network device";
    m_probe.SetReply("eth0$$" + std::string(200, 'x') + "$eth1$tail</end>");
    CMonitorDialog dialog(m_doc->Library(), m_doc->Catalog(), *Tree().Element(router));
    ASSERT_TRUE(dialog.ChooseKind(QStringLiteral("7")));
    QComboBox *list = dialog.Parameters()->List(QStringLiteral("Interface"));
    ASSERT_NE(list, nullptr);
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->itemText(i);
    EXPECT_EQ(items, (QStringList{"1", "eth0", "eth1"})) << "the default first, then the probe's entries";
    ASSERT_EQ(m_probe.Frames().size(), 1u);
    EXPECT_EQ(m_probe.Frames()[0], "DL0064" + toLocal(Id(router)) + "$NtProbe.dll$ListInterfaces$");

    // No end mark: the list keeps only the default, and the operator is told.
    m_probe.SetReply("eth0$eth1$");
    ASSERT_TRUE(dialog.ChooseKind(QStringLiteral("1")));
    ASSERT_TRUE(dialog.ChooseKind(QStringLiteral("7")));
    EXPECT_EQ(dialog.Parameters()->List(QStringLiteral("Interface"))->count(), 1);
    EXPECT_EQ(m_app.messages.size(), 1);
}
