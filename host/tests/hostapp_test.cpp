#include <gtest/gtest.h>

#include <QDir>
#include <QApplication>
#include <QDialog>
#include <QDockWidget>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QListWidget>
#include <QMdiArea>
#include <QToolBar>
#include <QTreeWidget>

#include "frame/iconnavframe.h"
#include "frame/outlookbar.h"
#include "frame/prochildframe.h"
#include "frame/procommands.h"
#include "frame/promodule.h"
#include "frame/treenavframe.h"
#include "host/aboutdialog.h"
#include "host/tests/testmodulepath.h"
#include "testsupport/tempfolder.h"
#include "testsupport/testhostapp.h"
#include "orb/net/orbclient.h"

namespace {

const QString TitleCn = QStringLiteral("Keelmon 2.0 (网络运维平台)- ");

QString ModuleLine(int n, const QString &name, const QString &group, const QString &library,
                   const QString &style = {})
{
    QString text = QStringLiteral("module%1.name=%2\nmodule%1.group=%3\nmodule%1.imageID=%4\n")
                       .arg(n).arg(name, group).arg(n);
    if (!library.isEmpty())
        text += QStringLiteral("module%1.DLLname=%2\n").arg(n).arg(library);
    if (!style.isEmpty())
        text += QStringLiteral("module%1.style=%2\n").arg(n).arg(style);
    return text;
}

class HostAppTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { EnsureApplication(); }

    // Starts the host without a server, with the given module lines.
    bool Start(const QString &modules, int moduleCount, const QString &extra = {})
    {
        WriteKeelsysIni(QStringLiteral("[SYS]\nnavtype=0\n") + extra + QStringLiteral("[SYSTEMMODULE]\nmoduleCount=%1\n")
                            .arg(moduleCount) + modules);
        m_app.offline = true;
        return m_app.InitInstance();
    }

    QMdiArea *Area() const { return m_app.GetMainFrame()->MdiArea(); }
    QString ModuleToolBarName() const
    {
        QToolBar *toolBar = m_app.GetMainFrame()->ModuleToolBar();
        return toolBar ? toolBar->objectName() : QString();
    }
    QString Title() const { return m_app.GetMainFrame()->Title(); }

    WorkingDirectory m_dir;
    TestHostApp m_app;
};

TEST_F(HostAppTest, StartsWithoutKeelsysIniOnDefaults)
{
    m_app.offline = true;
    ASSERT_TRUE(m_app.InitInstance());

    OrbClient *client = m_app.GetClient();
    ASSERT_NE(client, nullptr);
    EXPECT_STREQ(client->getConfiguredHost(), "127.0.0.1");
    EXPECT_EQ(client->getPort(), 8899);
    EXPECT_EQ(client->getDiscoveryPort(), 8899);
    EXPECT_EQ(m_app.GetService(QStringLiteral("sys")), client);
    EXPECT_EQ(m_app.Services().size(), 1) << "no service library is configured";
    EXPECT_TRUE(m_app.Modules().isEmpty());
    EXPECT_TRUE(m_app.messages.isEmpty()) << m_app.messages.join(QLatin1Char('|')).toStdString();

    auto *frame = qobject_cast<CIconNavFrame *>(m_app.GetMainFrame());
    ASSERT_NE(frame, nullptr) << "nav defaults to \"1\": the group-icon frame";
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->OutlookBar()->FolderCount(), 0);
    EXPECT_EQ(frame->NavigationType(), 0);
    EXPECT_FALSE(frame->OutlookBar()->IsLargeIcons());
    EXPECT_EQ(frame->Title(), QStringLiteral("Keelmon 2.0 (网络运维平台)"));
    EXPECT_EQ(ReadKeelsysIni(), QStringLiteral("[SYS]\r\nnavtype=0\r\n")) << "the file is created by the write";
    frame->ServerTick();
    EXPECT_EQ(frame->ServerPane()->text(), QStringLiteral("服务器IP: 127.0.0.1"));
}

TEST_F(HostAppTest, NavtypeOf1000IsRewrittenAndOthersKept)
{
    WriteKeelsysIni(QStringLiteral("[SYS]\nnavtype=1000\n"));
    EXPECT_EQ(m_app.ReadNavigationType(), 0);
    EXPECT_EQ(ReadKeelsysIni(), QStringLiteral("[SYS]\nnavtype=0\n"));
    WriteKeelsysIni(QStringLiteral("[SYS]\nnavtype=1\n"));
    EXPECT_EQ(m_app.ReadNavigationType(), 1);
    EXPECT_EQ(ReadKeelsysIni(), QStringLiteral("[SYS]\nnavtype=1\n"));
}

TEST_F(HostAppTest, LoadsModulesAcrossGapsAndBeyondTheCount)
{
    const QString modules = ModuleLine(0, QStringLiteral("Alpha"), QStringLiteral("G1"), TestModulePath("TestModuleAlpha"))
                            + ModuleLine(1, QStringLiteral("Unloaded"), QStringLiteral("G2"), QString())
                            + ModuleLine(2, QStringLiteral("Beta"), QStringLiteral("G1"), TestModulePath("TestModuleBeta"))
                            + ModuleLine(3, QString(), QString(), TestModulePath("TestModuleGamma"))
                            + ModuleLine(5, QString(), QString(), TestModulePath("TestModuleDelta"));
    ASSERT_TRUE(Start(modules, 3));

    QStringList loaded;
    for (const auto &entry : m_app.Modules().entries())
        loaded.append(entry.first);
    EXPECT_EQ(loaded, (QStringList{"Alpha", "Beta", "Gamma"}))
        << "entry 1 has no library; entry 3 lies beyond the count; the empty entry 4 ends the list";
    EXPECT_EQ(m_app.ModuleLibraries().size(), 3);
    EXPECT_TRUE(m_app.ModuleLibraries().first().endsWith(QStringLiteral("libTestModuleGamma.so")))
        << "the newest handle is at the head";
    EXPECT_TRUE(m_app.Navigation().contains(QStringLiteral("AlphaSub"))) << "extra document names are registered";

    auto *frame = qobject_cast<CIconNavFrame *>(m_app.GetMainFrame());
    ASSERT_NE(frame, nullptr);
    COutlookBar *bar = frame->OutlookBar();
    ASSERT_EQ(bar->FolderCount(), 2) << "two entries of group G1 share a folder";
    EXPECT_EQ(bar->FolderTitle(0), QStringLiteral("G1"));
    ASSERT_EQ(bar->FolderList(0)->count(), 2);
    EXPECT_EQ(bar->FolderList(0)->item(0)->text(), QStringLiteral("Alpha"));
    EXPECT_EQ(bar->FolderList(0)->item(1)->text(), QStringLiteral("Beta"));
    EXPECT_EQ(bar->FolderList(1)->item(0)->text(), QStringLiteral("Unloaded"));

    // Picking the entry without a module does nothing.
    m_app.OpenModule(QStringLiteral("Unloaded"));
    EXPECT_TRUE(Area()->subWindowList().isEmpty());
    EXPECT_TRUE(m_app.messages.isEmpty());
}

TEST_F(HostAppTest, BrokenModuleLibrariesAreReportedAndSkipped)
{
    const QString modules = ModuleLine(0, QStringLiteral("N"), {}, TestModulePath("TestModuleNull"))
                            + ModuleLine(1, QStringLiteral("X"), {}, TestModulePath("TestModuleNoExport"))
                            + ModuleLine(2, QStringLiteral("O"), {}, TestModulePath("TestModuleOldApi"))
                            + ModuleLine(3, QStringLiteral("T"), {}, TestModulePath("TestModuleThrows"))
                            + ModuleLine(4, QStringLiteral("Alpha"), {}, TestModulePath("TestModuleAlpha"));
    ASSERT_TRUE(Start(modules, 5)) << "a library without an instance does not stop start-up";
    ASSERT_EQ(m_app.messages.size(), 4);
    for (const char *name : {"TestModuleNull", "TestModuleNoExport", "TestModuleOldApi", "TestModuleThrows"}) {
        const QString expected = TestModulePath(QString::fromLatin1(name)) + QStringLiteral(" load error!");
        EXPECT_TRUE(m_app.messages.contains(expected)) << name;
    }
    EXPECT_EQ(m_app.Modules().size(), 1);
    EXPECT_EQ(m_app.ModuleLibraries().size(), 1);
}

TEST_F(HostAppTest, MissingModuleLibraryEndsStartUp)
{
    const QString missing = QDir::current().filePath(QStringLiteral("libNoSuchModule.so"));
    EXPECT_FALSE(Start(ModuleLine(0, QStringLiteral("A"), {}, missing), 1));
    EXPECT_EQ(m_app.messages, QStringList{missing + QStringLiteral(" load error!")});
}

TEST_F(HostAppTest, ServiceLibrariesGetSessionAndClientOrAreSkipped)
{
    const QString services = QStringLiteral(
        "[SYSTEMSERVICE]\nserviceCount=4\nservice0.name=SysService\nservice0.DLLname=%1\n"
        "service1.name=Nothing\nservice1.DLLname=libNoSuchService.so\n"
        "service2.name=Module\nservice2.DLLname=%2\nservice3.name=Empty\n")
        .arg(QDir(qEnvironmentVariable("KEEL_BIN_DIR")).filePath(QStringLiteral("libCatalogSvc.so")),
             TestModulePath(QStringLiteral("TestModuleAlpha")));
    ASSERT_TRUE(Start({}, 0, services));
    EXPECT_EQ(m_app.messages, (QStringList{"libNoSuchService.so load error!",
                                           TestModulePath(QStringLiteral("TestModuleAlpha")) + " load error!"}));
    OrbService *service = m_app.GetService(QStringLiteral("SysService"));
    ASSERT_NE(service, nullptr);
    EXPECT_EQ(service->getClient(), m_app.GetClient());
    EXPECT_STREQ(service->getSession().getUserName(), m_app.GetSession().getUserName());
    EXPECT_EQ(m_app.ServiceLibraries().size(), 1);
    EXPECT_EQ(CAboutDialog::Lines(m_app), (QStringList{"S: sys  VER: 2.00", "S: SysService  VER: 2.00"}));
}

TEST_F(HostAppTest, OpenModuleReactivatesAnOpenDocument)
{
    ASSERT_TRUE(Start(ModuleLine(0, QStringLiteral("Alpha"), {}, TestModulePath("TestModuleAlpha"))
                          + ModuleLine(1, QStringLiteral("Beta"), {}, TestModulePath("TestModuleBeta")),
                      2));
    m_app.OpenModule(QStringLiteral("Alpha"));
    ASSERT_EQ(Area()->subWindowList().size(), 1);
    auto *alpha = qobject_cast<CProChildFrame *>(Area()->activeSubWindow());
    ASSERT_NE(alpha, nullptr);
    EXPECT_EQ(alpha->GetDocumentName(), QStringLiteral("Alpha"));
    CProModule *module = m_app.Modules().value(QStringLiteral("Alpha"));
    EXPECT_TRUE(module->IsDocumentOpen(QStringLiteral("Alpha")));
    EXPECT_EQ(module->GetDocumentFrame(QStringLiteral("Alpha")), alpha);
    EXPECT_EQ(module->GetCurrentDocument(), alpha->GetDocument());

    m_app.OpenModule(QStringLiteral("Beta"));
    ASSERT_EQ(Area()->subWindowList().size(), 2);
    EXPECT_NE(Area()->activeSubWindow(), alpha);

    m_app.OpenModule(QStringLiteral("Alpha"));
    EXPECT_EQ(Area()->subWindowList().size(), 2) << "the open document is activated, not opened again";
    EXPECT_EQ(Area()->activeSubWindow(), alpha);
    EXPECT_TRUE(alpha->isMaximized());
    EXPECT_EQ(Title(), TitleCn + QStringLiteral("Alpha"));

    // The extra document name opens its own template of the same module.
    m_app.OpenModule(QStringLiteral("AlphaSub"));
    EXPECT_EQ(Area()->subWindowList().size(), 3);
    EXPECT_EQ(ModuleToolBarName(), QStringLiteral("toolbar-AlphaSub"));
}

// The module of a few lines (minimalmodule/) loads, opens its one document and closes it.
TEST_F(HostAppTest, MinimalModuleOpensItsDocument)
{
    ASSERT_TRUE(Start(ModuleLine(0, QStringLiteral("Minimal"), {}, TestModulePath("MinimalModule")), 1));
    EXPECT_TRUE(m_app.messages.isEmpty()) << m_app.messages.join(QLatin1Char('|')).toStdString();
    m_app.OpenModule(QStringLiteral("Minimal"));
    auto *frame = qobject_cast<CProChildFrame *>(Area()->activeSubWindow());
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->GetDocumentName(), QStringLiteral("Minimal"));
    auto *label = qobject_cast<QLabel *>(frame->widget());
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QStringLiteral("Minimal"));
    EXPECT_EQ(Title(), TitleCn + QStringLiteral("Minimal"));
    m_app.GetMainFrame()->RouteCommand(ProCommand::CloseDocument);
    EXPECT_TRUE(Area()->subWindowList().isEmpty());
    EXPECT_TRUE(m_app.messages.isEmpty()) << m_app.messages.join(QLatin1Char('|')).toStdString();
}

TEST_F(HostAppTest, ModuleStyleInvokesTheModuleInsteadOfOpening)
{
    ASSERT_TRUE(Start(ModuleLine(0, QStringLiteral("Alpha"), {}, TestModulePath("TestModuleAlpha"), "1")
                          + ModuleLine(1, QStringLiteral("Beta"), {}, TestModulePath("TestModuleBeta"), "0"),
                      2));
    qApp->setProperty("lastInvoke", QString());
    m_app.OpenModule(QStringLiteral("Alpha"));
    EXPECT_EQ(m_app.GetModuleStyle(), QStringLiteral("1"));
    EXPECT_EQ(qApp->property("lastInvoke").toString(), QStringLiteral("Alpha:_Style1"));
    EXPECT_TRUE(Area()->subWindowList().isEmpty());

    m_app.OpenModule(QStringLiteral("Beta"));
    EXPECT_EQ(m_app.GetModuleStyle(), QStringLiteral("0"));
    EXPECT_EQ(Area()->subWindowList().size(), 1);

    m_app.OpenModule(QStringLiteral("NotAnEntry"));
    EXPECT_EQ(m_app.GetModuleStyle(), QStringLiteral("0"));

    EXPECT_EQ(m_app.InvokeModuleDlg(QStringLiteral("Beta"), QStringLiteral("pick"), nullptr),
              QStringLiteral("Beta:pick"));
    EXPECT_EQ(m_app.InvokeModuleDlg(QStringLiteral("Nobody"), QStringLiteral("pick"), nullptr), QString());
    EXPECT_EQ(m_app.messages, QStringList{"Not find module"});
}

TEST_F(HostAppTest, NamesTableTranslatesBothWaysOnlyInChinese)
{
    const QString names = QStringLiteral("[NAMES]\nnamesCount=2\nname0=阿尔法\nname0.en=Alpha\n"
                                         "name1=监视\nname1.en=Watch\n");
    ASSERT_TRUE(Start(ModuleLine(0, QStringLiteral("Alpha"), QStringLiteral("Watch"), TestModulePath("TestModuleAlpha")),
                      1, names));
    EXPECT_EQ(m_app.Translate(QStringLiteral("阿尔法")), QStringLiteral("Alpha"));
    EXPECT_EQ(m_app.Translate(QStringLiteral("Alpha")), QStringLiteral("阿尔法"));
    EXPECT_EQ(m_app.Translate(QStringLiteral("Beta")), QStringLiteral("Beta"));

    // The navigation shows the translated entry; picking it finds the module
    // under its own name and titles the window with the translation.
    auto *frame = qobject_cast<CIconNavFrame *>(m_app.GetMainFrame());
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->OutlookBar()->FolderTitle(0), QStringLiteral("监视"));
    QListWidget *list = frame->OutlookBar()->FolderList(0);
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("阿尔法"));
    emit list->itemClicked(list->item(0));
    ASSERT_EQ(Area()->subWindowList().size(), 1);
    EXPECT_EQ(Title(), TitleCn + QStringLiteral("阿尔法"));
    EXPECT_EQ(CAboutDialog::Lines(m_app).first(), QStringLiteral("M: 阿尔法  VER: 2.00"));

    // A dialog's caption and its direct children's texts are translated.
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Watch"));
    auto *label = new QLabel(QStringLiteral("Alpha"), &dialog);
    auto *other = new QLabel(QStringLiteral("Beta"), &dialog);
    m_app.TranslateWindow(&dialog);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("监视"));
    EXPECT_EQ(label->text(), QStringLiteral("阿尔法"));
    EXPECT_EQ(other->text(), QStringLiteral("Beta"));
}

TEST_F(HostAppTest, EnglishLeavesTextsAndUsesTheEnglishTitle)
{
    m_app.offlineLanguage = QStringLiteral("en");
    ASSERT_TRUE(Start(ModuleLine(0, QStringLiteral("Alpha"), {}, TestModulePath("TestModuleAlpha")), 1,
                      QStringLiteral("[NAMES]\nnamesCount=1\nname0=阿尔法\nname0.en=Alpha\n")));
    EXPECT_EQ(m_app.Translate(QStringLiteral("阿尔法")), QStringLiteral("阿尔法"));
    EXPECT_EQ(m_app.Translate(QStringLiteral("Are you sure EXIT?")), QStringLiteral("Are you sure EXIT?"));
    m_app.OpenModule(QStringLiteral("Alpha"));
    EXPECT_EQ(Title(), QStringLiteral("Keelmon 2.0 - (网络运维平台)Alpha"));
}

TEST_F(HostAppTest, ModuleToolBarsAndTitlesFollowTheActiveDocument)
{
    ASSERT_TRUE(Start(ModuleLine(0, QStringLiteral("Alpha"), {}, TestModulePath("TestModuleAlpha"))
                          + ModuleLine(1, QStringLiteral("Beta"), {}, TestModulePath("TestModuleBeta")),
                      2));
    CProMainFrame *frame = m_app.GetMainFrame();
    m_app.OpenModule(QStringLiteral("Alpha"));
    QMdiSubWindow *alpha = Area()->activeSubWindow();
    EXPECT_EQ(ModuleToolBarName(), QStringLiteral("toolbar-Alpha"));
    EXPECT_EQ(Title(), TitleCn + QStringLiteral("Alpha"));
    EXPECT_EQ(frame->toolBarArea(frame->ModuleToolBar()), Qt::TopToolBarArea);

    m_app.OpenModule(QStringLiteral("Beta"));
    QMdiSubWindow *beta = Area()->activeSubWindow();
    EXPECT_EQ(ModuleToolBarName(), QStringLiteral("toolbar-Beta"));
    EXPECT_EQ(Title(), TitleCn + QStringLiteral("Beta"));
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    int moduleBars = 0;
    for (QToolBar *toolBar : frame->findChildren<QToolBar *>())
        moduleBars += toolBar->objectName().startsWith(QStringLiteral("toolbar-"));
    EXPECT_EQ(moduleBars, 1) << "the previous module toolbar is deleted";

    Area()->setActiveSubWindow(alpha);
    EXPECT_EQ(ModuleToolBarName(), QStringLiteral("toolbar-Alpha"));
    EXPECT_EQ(m_app.GetCurrentModule(), m_app.Modules().value(QStringLiteral("Alpha")));

    // The module toolbar's "关闭" closes the active document; the other one
    // then becomes active and brings its toolbar back.
    frame->RouteCommand(ProCommand::CloseDocument);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(m_app.Modules().value(QStringLiteral("Alpha"))->IsDocumentOpen(QStringLiteral("Alpha")));
    ASSERT_EQ(Area()->subWindowList().size(), 1);
    EXPECT_EQ(Area()->activeSubWindow(), beta);
    EXPECT_EQ(ModuleToolBarName(), QStringLiteral("toolbar-Beta"));

    beta->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(frame->ModuleToolBar(), nullptr);
    EXPECT_EQ(Title(), QStringLiteral("Keelmon 2.0 (网络运维平台)"));
    EXPECT_FALSE(m_app.Modules().value(QStringLiteral("Beta"))->IsDocumentOpen(QStringLiteral("Beta")));

    // Closed documents open again as new ones.
    m_app.OpenModule(QStringLiteral("Beta"));
    EXPECT_EQ(Area()->subWindowList().size(), 1);
}

TEST_F(HostAppTest, ModuleHidingTheNavigationBarGetsItBackOnClose)
{
    ASSERT_TRUE(Start(ModuleLine(0, QStringLiteral("Delta"), {}, TestModulePath("TestModuleDelta")), 1));
    QDockWidget *dock = m_app.GetMainFrame()->findChild<QDockWidget *>(QStringLiteral("69"));
    ASSERT_NE(dock, nullptr);
    EXPECT_EQ(dock->windowTitle(), QStringLiteral("Server Files"));
    EXPECT_TRUE(dock->isVisible());
    m_app.OpenModule(QStringLiteral("Delta"));
    EXPECT_FALSE(dock->isVisible());
    EXPECT_FALSE(m_app.IsNavigationEnabled());
    m_app.OnCommand(ProCommand::SwitchNavigation);
    EXPECT_TRUE(m_app.IsNavigationShown()) << "the switch does nothing while navigation is disabled";

    m_app.GetMainFrame()->MdiArea()->activeSubWindow()->close();
    EXPECT_TRUE(dock->isVisible());
    EXPECT_TRUE(m_app.IsNavigationEnabled());
    m_app.OnCommand(ProCommand::SwitchNavigation);
    EXPECT_FALSE(dock->isVisible());
    EXPECT_FALSE(m_app.IsNavigationShown());
}

TEST_F(HostAppTest, IconConversionWritesNavtypeOneThenZero)
{
    ASSERT_TRUE(Start(ModuleLine(0, QStringLiteral("Alpha"), {}, TestModulePath("TestModuleAlpha")), 1));
    auto *frame = qobject_cast<CIconNavFrame *>(m_app.GetMainFrame());
    ASSERT_NE(frame, nullptr);
    EXPECT_FALSE(frame->OutlookBar()->IsLargeIcons());
    EXPECT_EQ(frame->OutlookBar()->FolderList(0)->iconSize(), QSize(16, 16));

    m_app.OnCommand(ProCommand::ToggleNavigationType);
    EXPECT_EQ(m_app.GetProfileInt("SYS", QStringLiteral("navtype"), -1), 1);
    EXPECT_TRUE(frame->OutlookBar()->IsLargeIcons());
    EXPECT_EQ(frame->OutlookBar()->FolderList(0)->iconSize(), QSize(32, 32));

    m_app.OnCommand(ProCommand::ToggleNavigationType);
    EXPECT_EQ(m_app.GetProfileInt("SYS", QStringLiteral("navtype"), -1), 0);
    EXPECT_FALSE(frame->OutlookBar()->IsLargeIcons());
}

TEST_F(HostAppTest, TreeNavigationGroupsEntriesInOrder)
{
    const QString modules = ModuleLine(0, QStringLiteral("Alpha"), QStringLiteral("G1"), TestModulePath("TestModuleAlpha"))
                            + ModuleLine(1, QStringLiteral("Beta"), QString(), TestModulePath("TestModuleBeta"))
                            + ModuleLine(2, QStringLiteral("Gamma"), QStringLiteral("G1"), TestModulePath("TestModuleGamma"));
    ASSERT_TRUE(Start(modules, 3, QStringLiteral("nav=2\n")));
    auto *frame = qobject_cast<CTreeNavFrame *>(m_app.GetMainFrame());
    ASSERT_NE(frame, nullptr);
    QTreeWidget *tree = frame->Tree();
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), QStringLiteral("G1"));
    ASSERT_EQ(tree->topLevelItem(0)->childCount(), 2);
    EXPECT_EQ(tree->topLevelItem(0)->child(1)->text(0), QStringLiteral("Gamma"));
    EXPECT_EQ(tree->topLevelItem(1)->text(0), QString()) << "an empty group still gets a root";
    EXPECT_EQ(frame->ToggleNavigationType(), 0) << "the tree frame has no navigation type";

    emit tree->itemDoubleClicked(tree->topLevelItem(0)->child(1), 0);
    EXPECT_EQ(Area()->subWindowList().size(), 1);
    EXPECT_EQ(Title(), TitleCn + QStringLiteral("Gamma"));
}

TEST_F(HostAppTest, CancellingExitKeepsEverythingOpen)
{
    ASSERT_TRUE(Start(ModuleLine(0, QStringLiteral("Alpha"), {}, TestModulePath("TestModuleAlpha")), 1));
    m_app.OpenModule(QStringLiteral("Alpha"));
    QPointer<CProMainFrame> frame = m_app.GetMainFrame();

    m_app.answer = false;
    m_app.OnCommand(ProCommand::Exit);
    EXPECT_EQ(m_app.questions, QStringList{"Are you sure EXIT?"});
    ASSERT_FALSE(frame.isNull());
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->MdiArea()->subWindowList().size(), 1);
    EXPECT_TRUE(m_app.Modules().value(QStringLiteral("Alpha"))->IsDocumentOpen(QStringLiteral("Alpha")));

    m_app.answer = true;
    m_app.OnCommand(ProCommand::Exit);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(frame.isNull()) << "OK closes and deletes the main frame";
}

TEST_F(HostAppTest, AboutBoxListsModulesThenServices)
{
    ASSERT_TRUE(Start(ModuleLine(0, QStringLiteral("Alpha"), {}, TestModulePath("TestModuleAlpha"))
                          + ModuleLine(1, QStringLiteral("Beta"), {}, TestModulePath("TestModuleBeta")),
                      2));
    CAboutDialog dialog(m_app);
    QStringList shown;
    for (int i = 0; i < dialog.List()->count(); ++i)
        shown.append(dialog.List()->item(i)->text());
    EXPECT_EQ(shown, (QStringList{"M: Alpha  VER: 2.00", "M: Beta  VER: 2.00", "S: sys  VER: 2.00"}));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Keelmon 2.0 (网络运维平台)"));
    m_app.OnCommand(ProCommand::About);
    EXPECT_TRUE(m_app.aboutShown);
}

// A frame whose lock screen opens and closes at once, counting the locks.
class LockCountingFrame : public CIconNavFrame
{
public:
    using CIconNavFrame::CIconNavFrame;
    int locks = 0;

protected:
    bool RunLockScreen() override
    {
        ++locks;
        return true;
    }
};

TEST_F(HostAppTest, IdleTicksLockOnlyPastTheLimit)
{
    LockCountingFrame frame(&m_app);
    ASSERT_TRUE(frame.Create());
    EXPECT_TRUE(frame.IdleTimer().isActive());
    m_app.SetIdleSeconds(CProMainFrame::LockAfterSeconds);
    frame.IdleTick();
    EXPECT_EQ(frame.IdlePane()->text(), QStringLiteral("系统空闲时间：00:40:00"));
    EXPECT_EQ(frame.locks, 0) << "exactly 2400 seconds do not lock";
    EXPECT_EQ(m_app.IdleSeconds(), 2401);

    frame.IdleTick();
    EXPECT_EQ(frame.locks, 1);
    EXPECT_EQ(frame.IdlePane()->text(), QStringLiteral("系统空闲时间超时锁定"));
    EXPECT_EQ(m_app.IdleSeconds(), 1) << "counting starts again after the lock";
    EXPECT_TRUE(frame.IdleTimer().isActive());

    m_app.SetIdleSeconds(1925);
    frame.IdleTick();
    EXPECT_EQ(frame.IdlePane()->text(), QStringLiteral("系统空闲时间：00:32:05"));
    m_app.OnCommand(ProCommand::Lock);
    EXPECT_EQ(frame.locks, 1) << "the lock command goes to the application's own main frame only";
    frame.LockNow();
    EXPECT_EQ(frame.locks, 2);

    // Typing a character and moving the mouse count as activity; a key
    // without a character does not.
    m_app.SetIdleSeconds(50);
    QKeyEvent shift(QEvent::KeyPress, Qt::Key_Shift, Qt::NoModifier);
    QApplication::sendEvent(&frame, &shift);
    EXPECT_EQ(m_app.IdleSeconds(), 50);
    QKeyEvent letter(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(&frame, &letter);
    EXPECT_EQ(m_app.IdleSeconds(), 0);
    m_app.SetIdleSeconds(50);
    QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), QPointF(3, 3), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&frame, &move);
    EXPECT_EQ(m_app.IdleSeconds(), 0);

    frame.ServerTick();
    EXPECT_EQ(frame.ServerPane()->text(), QStringLiteral("服务器IP: 0.0.0.0")) << "no client before start-up";
}

} // namespace
