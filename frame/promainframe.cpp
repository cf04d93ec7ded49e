#include "frame/promainframe.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

#include "frame/backgroundarea.h"
#include "frame/hosttexts.h"
#include "frame/localtext.h"
#include "frame/lockscreen.h"
#include "frame/proapp.h"
#include "frame/probaseframedoc.h"
#include "frame/prochildframe.h"
#include "orb/net/orbclient.h"

namespace {

constexpr int PaneWidth = 125;
constexpr int ModuleToolBarHeight = 32;

} // namespace

CProMainFrame::CProMainFrame(CProApp *app)
    : m_app(app)
    , m_area(new CBackgroundArea(app, this))
    , m_serverPane(new QLabel(QStringLiteral("服务器IP: 0.0.0.0"), this))
    , m_idlePane(new QLabel(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setCentralWidget(m_area);
    SetTitle(QString::fromUtf8(CProApp::MainTitle));
    connect(m_area, &QMdiArea::subWindowActivated, this, &CProMainFrame::OnSubWindowActivated);
    m_serverTimer.setInterval(TimerInterval);
    m_idleTimer.setInterval(TimerInterval);
    connect(&m_serverTimer, &QTimer::timeout, this, &CProMainFrame::ServerTick);
    connect(&m_idleTimer, &QTimer::timeout, this, &CProMainFrame::IdleTick);

    // Ctrl+F4 closes the active document. Inside a document window its own
    // close shortcut does it; elsewhere in this window (navigation bar,
    // toolbars) this one, which steps aside there so the two never compete.
    auto *closeDocument = new QAction(this);
    closeDocument->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F4));
    closeDocument->setShortcutContext(Qt::WindowShortcut);
    connect(closeDocument, &QAction::triggered, m_area, &QMdiArea::closeActiveSubWindow);
    connect(qApp, &QApplication::focusChanged, closeDocument, [this, closeDocument](QWidget *, QWidget *now) {
        closeDocument->setEnabled(!now || !m_area->isAncestorOf(now));
    });
    addAction(closeDocument);
}

CProMainFrame::~CProMainFrame()
{
    // Document windows are destroyed with the area; they must not report
    // activation to a frame that is half gone.
    disconnect(m_area, nullptr, this, nullptr);
}

bool CProMainFrame::Create()
{
    m_mainToolBar = m_app ? m_app->CreateToolBar(this) : nullptr;
    if (!m_mainToolBar)
        return false;
    setDockOptions(dockOptions() | QMainWindow::AllowNestedDocks);
    m_mainToolBar->setAllowedAreas(Qt::AllToolBarAreas);
    addToolBar(Qt::TopToolBarArea, m_mainToolBar);

    for (QLabel *pane : {m_serverPane, m_idlePane}) {
        pane->setMinimumWidth(PaneWidth);
        statusBar()->addPermanentWidget(pane);
    }
    CreateNavigationBar();
    m_serverTimer.start();
    m_idleTimer.start();
    return true;
}

QMdiArea *CProMainFrame::MdiArea() const
{
    return m_area;
}

CProChildFrame *CProMainFrame::ActiveChildFrame() const
{
    // The current window, even while another program has the focus: a
    // module command must not lose its target to a focus change.
    return qobject_cast<CProChildFrame *>(m_area->currentSubWindow());
}

void CProMainFrame::SetTitle(const QString &title)
{
    m_title = title;
    setWindowTitle(title);
}

void CProMainFrame::SetModuleToolBar(const QString &name, QToolBar *toolBar)
{
    if (m_moduleToolBar)
        RemoveModuleToolBar(name, m_moduleToolBar);
    if (!toolBar)
        return;
    m_moduleToolBar = toolBar;
    toolBar->setAllowedAreas(Qt::AllToolBarAreas);
    if (m_mainToolBar && toolBarArea(m_mainToolBar) != Qt::NoToolBarArea)
        insertToolBar(m_mainToolBar, toolBar);
    else
        addToolBar(Qt::TopToolBarArea, toolBar);
    toolBar->setFixedHeight(ModuleToolBarHeight);
    toolBar->show();
}

void CProMainFrame::RemoveModuleToolBar(const QString &, QToolBar *)
{
    if (!m_moduleToolBar)
        return;
    QToolBar *toolBar = m_moduleToolBar;
    m_moduleToolBar = nullptr;
    toolBar->hide();
    removeToolBar(toolBar);
    // The toolbar's own button may be what closed the document.
    toolBar->deleteLater();
}

void CProMainFrame::CreateNavigationBar()
{
}

void CProMainFrame::ShowNavigationBar(bool show)
{
    if (m_navigationDock)
        m_navigationDock->setVisible(show);
}

QDockWidget *CProMainFrame::CreateNavigationDock(QWidget *content)
{
    // The names table may give the title a Chinese counterpart.
    const QString title = QStringLiteral("Server Files");
    m_navigationDock = new QDockWidget(m_app ? m_app->Translate(title) : title, this);
    m_navigationDock->setObjectName(QStringLiteral("69"));
    m_navigationDock->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    m_navigationDock->setWidget(content);
    addDockWidget(Qt::LeftDockWidgetArea, m_navigationDock);
    return m_navigationDock;
}

void CProMainFrame::SetNavigationType(int)
{
}

int CProMainFrame::ToggleNavigationType()
{
    return 0;
}

void CProMainFrame::RouteCommand(int command, CommandOrigin origin)
{
    if (origin == CommandOrigin::Module) {
        if (CProChildFrame *child = ActiveChildFrame(); child && child->OnCommand(command))
            return;
    }
    if (m_app)
        m_app->OnCommand(command);
}

void CProMainFrame::SetModuleMenus(const QList<QMenu *> &menus)
{
    for (const QPointer<QMenu> &menu : std::as_const(m_moduleMenus)) {
        if (menu)
            menuBar()->removeAction(menu->menuAction());
    }
    m_moduleMenus.clear();
    for (QMenu *menu : menus) {
        menuBar()->addMenu(menu);
        m_moduleMenus.append(menu);
    }
}

QList<QMenu *> CProMainFrame::ModuleMenus() const
{
    QList<QMenu *> menus;
    for (const QPointer<QMenu> &menu : m_moduleMenus) {
        if (menu)
            menus.append(menu);
    }
    return menus;
}

bool CProMainFrame::CanCloseDocuments()
{
    for (QMdiSubWindow *window : m_area->subWindowList()) {
        auto *child = qobject_cast<CProChildFrame *>(window);
        if (child && child->GetDocument() && !child->GetDocument()->SaveModified()) {
            m_area->setActiveSubWindow(child);
            return false;
        }
    }
    return true;
}

void CProMainFrame::OnSubWindowActivated(QMdiSubWindow *window)
{
    auto *child = qobject_cast<CProChildFrame *>(window);
    if (!child)
        return;
    SetModuleMenus(child->Menus());
    child->OnActivated();
}

void CProMainFrame::ServerTick()
{
    if (!m_app)
        return;
    CServerLink &link = m_app->ServerLink();
    link.Observe(m_app->GetClient());
    m_serverPane->setText(link.PaneText(!m_app->IsEnglish()));
}

void CProMainFrame::IdleTick()
{
    if (!m_app)
        return;
    OnIdleMessage(m_app->IdleSeconds());
    if (m_app->IdleSeconds() > LockAfterSeconds) {
        m_idleTimer.stop();
        m_app->SetIdleSeconds(0);
        OnIdleMessage(-1);
    }
    m_app->SetIdleSeconds(m_app->IdleSeconds() + 1);
}

void CProMainFrame::LockNow()
{
    m_idleTimer.stop();
    if (m_app)
        m_app->SetIdleSeconds(0);
    OnIdleMessage(-1);
}

void CProMainFrame::OnIdleMessage(int seconds)
{
    if (seconds == -1) {
        if (RunLockScreen()) {
            m_idleTimer.start();
            m_idlePane->setText(HostText("系统空闲时间超时锁定"));
        }
        return;
    }
    m_idlePane->setText(HostText("系统空闲时间：%1:%2:%3")
                            .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
                            .arg((seconds % 3600) / 60, 2, 10, QLatin1Char('0'))
                            .arg(seconds % 60, 2, 10, QLatin1Char('0')));
}

bool CProMainFrame::RunLockScreen()
{
    CLockScreen screen(frameGeometry(), m_app ? m_app->GetUserName() : QString(),
                       m_app ? m_app->GetPassword() : QString(), QDateTime::currentDateTime(), this);
    return screen.exec() == QDialog::Accepted;
}

void CProMainFrame::CloseWithoutConfirmation()
{
    m_closeConfirmed = true;
    close();
}

void CProMainFrame::closeEvent(QCloseEvent *event)
{
    if (!m_closeConfirmed && m_app
        && !m_app->AskQuestion(m_app->Translate(QStringLiteral("Are you sure EXIT?")))) {
        event->ignore();
        return;
    }
    // Documents with unsaved changes are asked even when the question was
    // answered already: their own answer can still keep the program open.
    if (!CanCloseDocuments()) {
        m_closeConfirmed = false;
        event->ignore();
        return;
    }
    m_closeConfirmed = true;
    m_serverTimer.stop();
    m_idleTimer.stop();
    event->accept();
}
