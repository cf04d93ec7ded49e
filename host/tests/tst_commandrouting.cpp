// Commands reach the handler of the place they come from: the host's menus and
// toolbar the application, a module's menus and toolbar its window, even when
// both use the same number (the role window's "新建" and the host's "锁定"
// are both 32775).

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include "frame/lockscreen.h"
#include "frame/probaseframedoc.h"
#include "frame/prochildframe.h"
#include "frame/procommands.h"
#include "frame/prodoctemplate.h"
#include "frame/promodule.h"
#include "testsupport/tempfolder.h"
#include "testsupport/testhostapp.h"

namespace {

constexpr int New = 32775;
constexpr int ToolBarResource = 17010;

class CRoleFrame : public CProChildFrame
{
public:
    explicit CRoleFrame(CProBaseFrameDoc *document) : CProChildFrame(document)
    {
        AddCommand(New, QStringLiteral("新建"), QStyle::SP_FileIcon, [this] { ++created; }, [this] { return allowNew; });
        SetToolBarCommands({New, Separator, ProCommand::CloseDocument});
        AddMenu(QStringLiteral("角色(&R)"), {New, Separator, ProCommand::CloseDocument});
    }

    int created = 0;
    bool allowNew = true;
};

class CRoleModule : public CProModule
{
public:
    explicit CRoleModule(const QString &name)
    {
        m_moduleName = name;
        m_docName = name;
    }
    int LoadDocTemplate() override
    {
        m_docTemplate = new CProDocTemplate(
            ToolBarResource, QStringLiteral("\n") + m_docName, [] { return new CProBaseFrameDoc; },
            [](CProBaseFrameDoc *document) { return new CRoleFrame(document); });
        return 1;
    }
    QString GetDocName(const QString &) override { return m_docName; }
    QToolBar *LoadSubToolBar(const QString &name) override
    {
        CProChildFrame *frame = GetDocumentFrame(name);
        return frame ? frame->CreateModuleToolBar(ToolBarResource) : nullptr;
    }
};

QAction *FindCommand(const QList<QAction *> &actions, int command)
{
    for (QAction *action : actions) {
        if (action->data().toInt() == command)
            return action;
    }
    return nullptr;
}

QAction *HostMenuCommand(QMenuBar *bar, int command)
{
    for (QAction *title : bar->actions()) {
        if (title->menu()) {
            if (QAction *action = FindCommand(title->menu()->actions(), command))
                return action;
        }
    }
    return nullptr;
}

class CommandRouting : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { EnsureApplication(); }

    void SetUp() override
    {
        WriteKeelsysIni(QStringLiteral("[SYS]\nnavtype=0\n"));
        m_app.offline = true;
        ASSERT_TRUE(m_app.InitInstance());
        for (const char *name : {"Role", "Other"})
            m_app.RegisterModule(std::make_unique<CRoleModule>(QString::fromLatin1(name)));
        CLockScreen::setDefaultDialogRunner([this](QDialog &) {
            ++m_lockDialogs;
            return -1; // nobody types: the screen closes without unlocking
        });
    }
    void TearDown() override { CLockScreen::setDefaultDialogRunner({}); }

    CProMainFrame *Frame() const { return m_app.GetMainFrame(); }
    CRoleFrame *Open(const QString &name)
    {
        m_app.OpenModule(name);
        return dynamic_cast<CRoleFrame *>(Frame()->MdiArea()->activeSubWindow());
    }
    QStringList MenuTitles() const
    {
        QStringList titles;
        for (QAction *title : Frame()->menuBar()->actions())
            titles << title->text();
        return titles;
    }

    WorkingDirectory m_dir;
    TestHostApp m_app;
    int m_lockDialogs = 0;
};

TEST_F(CommandRouting, SameNumberReachesTheModuleFromItsToolbarAndTheHostFromItsMenu)
{
    CRoleFrame *role = Open(QStringLiteral("Role"));
    ASSERT_NE(role, nullptr);
    QAction *moduleButton = FindCommand(Frame()->ModuleToolBar()->actions(), New);
    QAction *hostMenu = HostMenuCommand(Frame()->menuBar(), ProCommand::Lock);
    QAction *hostButton = FindCommand(Frame()->MainToolBar()->actions(), ProCommand::Lock);
    ASSERT_TRUE(moduleButton && hostMenu && hostButton);
    EXPECT_EQ(hostMenu->text(), QStringLiteral("锁定"));

    moduleButton->trigger();
    EXPECT_EQ(role->created, 1);
    EXPECT_EQ(m_lockDialogs, 0) << "the module's 32775 must not lock";

    hostMenu->trigger();
    EXPECT_GT(m_lockDialogs, 0) << "锁定 locks with the role window active";
    EXPECT_EQ(role->created, 1);
    m_lockDialogs = 0;
    hostButton->trigger();
    EXPECT_GT(m_lockDialogs, 0);
    EXPECT_EQ(role->created, 1);

    // A disabled module command does nothing, and does not fall through to the host.
    m_lockDialogs = 0;
    role->allowNew = false;
    Frame()->RouteCommand(New, CommandOrigin::Module);
    EXPECT_FALSE(moduleButton->isEnabled());
    EXPECT_EQ(role->created, 1);
    EXPECT_EQ(m_lockDialogs, 0);
    role->allowNew = true;
    role->UpdateCommands();
    EXPECT_TRUE(moduleButton->isEnabled());

    // A command the window does not declare goes on to the application.
    const bool shown = m_app.IsNavigationShown();
    Frame()->RouteCommand(ProCommand::SwitchNavigation, CommandOrigin::Module);
    EXPECT_NE(m_app.IsNavigationShown(), shown);
}

TEST_F(CommandRouting, ModuleMenusFollowTheActiveWindow)
{
    const QStringList hostMenus = MenuTitles();
    CRoleFrame *role = Open(QStringLiteral("Role"));
    ASSERT_NE(role, nullptr);
    EXPECT_EQ(MenuTitles(), hostMenus + QStringList{QStringLiteral("角色(&R)")});
    CRoleFrame *other = Open(QStringLiteral("Other"));
    ASSERT_TRUE(other && other != role);
    ASSERT_EQ(Frame()->ModuleMenus(), other->Menus()) << "the other window's menu replaces the first one's";
    EXPECT_EQ(MenuTitles().size(), hostMenus.size() + 1);

    QAction *menuNew = FindCommand(other->Menus().first()->actions(), New);
    ASSERT_NE(menuNew, nullptr);
    other->allowNew = false;
    emit other->Menus().first()->aboutToShow();
    EXPECT_FALSE(menuNew->isEnabled()) << "opening the menu updates its commands";
    other->allowNew = true;
    emit other->Menus().first()->aboutToShow();
    menuNew->trigger();
    EXPECT_EQ(other->created, 1);
    EXPECT_EQ(role->created, 0);

    // The menu's "关闭" closes its own window; the menu leaves with it.
    FindCommand(other->Menus().first()->actions(), ProCommand::CloseDocument)->trigger();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(Frame()->MdiArea()->subWindowList().size(), 1);
    EXPECT_EQ(Frame()->ModuleMenus(), role->Menus()) << "the remaining window's menu comes back";
    role->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(MenuTitles(), hostMenus);
}

} // namespace
