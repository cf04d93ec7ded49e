#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <QToolBar>

#include "frame/procommands.h"
#include "orb/wire/keelexport.h"

class CBackgroundArea;
class CProApp;
class CProChildFrame;
class QDockWidget;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

// The host's multiple-document window: main toolbar, status bar with the
// server and idle panes, the background picture behind the document windows,
// the module toolbar of the active document, the idle timer and the lock, and
// the exit confirmation. Its navigation operations do nothing; the two
// navigation frames add a bar.
class KEEL_EXPORT CProMainFrame : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr int TimerInterval = 1000;
    // More idle seconds than this lock the workstation.
    static constexpr int LockAfterSeconds = 2400;

    explicit CProMainFrame(CProApp *app);
    ~CProMainFrame() override;

    // Builds toolbar, status bar, background and navigation bar and starts the
    // timers; false when the toolbar or status bar cannot be made.
    bool Create();

    virtual void SetModuleToolBar(const QString &name, QToolBar *toolBar);
    virtual void RemoveModuleToolBar(const QString &name, QToolBar *toolBar);
    virtual void CreateNavigationBar();
    virtual void ShowNavigationBar(bool show);
    virtual void SetNavigationType(int type);
    virtual int ToggleNavigationType();

    CProApp *GetApp() const { return m_app; }
    QMdiArea *MdiArea() const;
    QToolBar *MainToolBar() const { return m_mainToolBar; }
    QToolBar *ModuleToolBar() const { return m_moduleToolBar; }
    CProChildFrame *ActiveChildFrame() const;
    QLabel *ServerPane() const { return m_serverPane; }
    QLabel *IdlePane() const { return m_idlePane; }
    QString Title() const { return m_title; }
    void SetTitle(const QString &title);

    // Sends a command to its handler by origin: host commands to the
    // application only; module commands to the active document window, then
    // to the application when the window does not declare the command.
    void RouteCommand(int command, CommandOrigin origin = CommandOrigin::Module);

    // The menus of the active document window, shown after the host's menus;
    // the previous window's menus leave the menu bar.
    void SetModuleMenus(const QList<QMenu *> &menus);
    QList<QMenu *> ModuleMenus() const;

    // Asks every open document whether it may close (unsaved changes); false
    // as soon as one refuses.
    bool CanCloseDocuments();

    // ---- timers (tests call the ticks directly) ----
    // Timer 1: the server pane shows the "sys" client's current address.
    void ServerTick();
    // Timer 1023: reports the idle seconds, locks after LockAfterSeconds.
    void IdleTick();
    // The lock command: stop idle counting and lock at once.
    void LockNow();
    // Message 101: idle seconds for the idle pane, or -1 to lock.
    void OnIdleMessage(int seconds);
    QTimer &IdleTimer() { return m_idleTimer; }
    QTimer &ServerTimer() { return m_serverTimer; }

    // Closes without asking (the exit sequence after the question was answered).
    void CloseWithoutConfirmation();

protected:
    // The navigation bar's dock: "Server Files", docked on the left, movable to the right.
    QDockWidget *CreateNavigationDock(QWidget *content);
    QDockWidget *NavigationDock() const { return m_navigationDock; }

    // Shows the lock screen over this window until the user unlocks it; true
    // when unlocked. The frame restarts idle counting afterwards.
    virtual bool RunLockScreen();
    void closeEvent(QCloseEvent *event) override;

private:
    void OnSubWindowActivated(QMdiSubWindow *window);

    CProApp *m_app;
    CBackgroundArea *m_area;
    QToolBar *m_mainToolBar = nullptr;
    QPointer<QToolBar> m_moduleToolBar;
    QList<QPointer<QMenu>> m_moduleMenus;
    QLabel *m_serverPane;
    QLabel *m_idlePane;
    QString m_title;
    QDockWidget *m_navigationDock = nullptr;
    QTimer m_serverTimer;
    QTimer m_idleTimer;
    bool m_closeConfirmed = false;
};
