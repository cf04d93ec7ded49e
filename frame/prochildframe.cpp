#include "frame/prochildframe.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QPointer>
#include <QToolBar>

#include "frame/proapp.h"
#include "frame/probaseframedoc.h"
#include "frame/procommands.h"
#include "frame/promainframe.h"

namespace {
constexpr int ToolBarIconSize = 16;
}

CProChildFrame::CProChildFrame(CProBaseFrameDoc *document)
    : m_app(CProApp::instance())
    , m_document(document)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowMaximizeButtonHint
                   | Qt::CustomizeWindowHint);
    if (document)
        document->setParent(this);
    AddCommand(ProCommand::CloseDocument, QStringLiteral("关闭"), QStyle::SP_DialogCloseButton, [this] { close(); });
}

CProChildFrame::~CProChildFrame() = default;

void CProChildFrame::TakeCurrentName()
{
    if (m_docName.isEmpty() && m_app)
        m_docName = m_app->GetCurrentModuleName();
}

void CProChildFrame::OnActivated()
{
    TakeCurrentName();
    UpdateCommands();
    if (m_app)
        m_app->OnDocumentActivated(m_docName, this);
}

bool CProChildFrame::OnCommand(int command)
{
    QAction *action = Command(command);
    if (!action)
        return false;
    action->trigger();
    return true;
}

QAction *CProChildFrame::AddCommand(int command, const QString &text, QStyle::StandardPixmap icon,
                                    std::function<void()> run, std::function<bool()> enabled)
{
    if (QAction *old = m_commands.take(command)) {
        m_checks.removeIf([old](const Check &check) { return check.action == old; });
        delete old;
    }
    auto *action = new QAction(style()->standardIcon(icon), text, this);
    action->setData(command);
    action->setToolTip(text);
    QPointer<CProChildFrame> self = this;
    // The check is asked again when the command runs: a state change since the
    // last update must not let a disabled command through.
    connect(action, &QAction::triggered, this, [self, run = std::move(run), enabled] {
        if (run && (!enabled || enabled()))
            run();
        if (self)
            self->UpdateCommands();
    });
    m_commands.insert(command, action);
    if (enabled)
        m_checks.append({action, std::move(enabled)});
    return action;
}

void CProChildFrame::AddCommandsTo(QWidget *widget, const QList<int> &commands) const
{
    for (int command : commands) {
        if (command == Separator) {
            auto *separator = new QAction(widget);
            separator->setSeparator(true);
            widget->addAction(separator);
        } else if (QAction *action = Command(command)) {
            widget->addAction(action);
        } else {
            qWarning("command %d is shown by a module window that does not declare it", command);
        }
    }
}

QMenu *CProChildFrame::AddMenu(const QString &title, std::initializer_list<int> commands)
{
    auto *menu = new QMenu(title, this);
    AddCommandsTo(menu, commands);
    connect(menu, &QMenu::aboutToShow, this, &CProChildFrame::UpdateCommands);
    m_menus.append(menu);
    return menu;
}

QToolBar *CProChildFrame::CreateModuleToolBar(int resourceId) const
{
    CProMainFrame *mainFrame = m_app ? m_app->GetMainFrame() : nullptr;
    auto *toolBar = new QToolBar(mainFrame);
    toolBar->setObjectName(QString::number(resourceId));
    toolBar->setIconSize(QSize(ToolBarIconSize, ToolBarIconSize));
    AddCommandsTo(toolBar, m_toolBarCommands);
    return toolBar;
}

void CProChildFrame::UpdateCommands()
{
    for (const Check &check : std::as_const(m_checks))
        check.action->setEnabled(check.enabled());
}

void CProChildFrame::closeEvent(QCloseEvent *event)
{
    if (m_document && !m_document->SaveModified()) {
        event->ignore();
        return;
    }
    TakeCurrentName();
    if (m_app) {
        if (CProMainFrame *mainFrame = m_app->GetMainFrame(); mainFrame && mainFrame->ModuleMenus() == m_menus)
            mainFrame->SetModuleMenus({});
        m_app->OnDocumentClosed(m_docName);
    }
    QMdiSubWindow::closeEvent(event);
}
