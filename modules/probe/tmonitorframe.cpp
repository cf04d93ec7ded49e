#include "modules/probe/tmonitorframe.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QToolBar>
#include <QVBoxLayout>

#include "frame/proapp.h"
#include "modules/probe/inventoryactions.h"
#include "modules/probe/leftview.h"
#include "modules/probe/probecommands.h"
#include "modules/probe/rupview.h"
#include "modules/probe/tmonitordoc.h"

namespace {

constexpr int LeftShare = 10;
constexpr int RightShare = 22;

void Enable(const QList<QAction *> &actions, const QModelIndex &current, CElementTreeModel::Kind kind)
{
    for (QAction *action : actions) {
        bool isCommand = false;
        const int command = action->data().toInt(&isCommand);
        if (isCommand && command >= ProbeCommand::AddGroup && command <= ProbeCommand::Reload)
            action->setEnabled(ProbeCommand::Applies(command, current.isValid(), kind));
    }
}

} // namespace

CTMonitorFrame::CTMonitorFrame(CTMonitorDoc *document)
    : CProChildFrame(document)
    , m_doc(document)
    , m_actions(std::make_unique<CInventoryActions>(*document, this))
    , m_menu(new QMenu(QStringLiteral("Monitor"), this))
    , m_splitter(new QSplitter(Qt::Horizontal))
    , m_left(new CLeftView(*document, m_splitter))
    , m_details(new CRUpView(*document, m_splitter))
{
    setWindowTitle(QStringLiteral("TMonitor"));
    document->SetWindow(this);
    for (const ProbeCommand::MenuItem &item : ProbeCommand::ModuleMenu()) {
        QAction *action = m_menu->addAction(QString::fromUtf8(item.text));
        const int command = item.command;
        action->setData(command);
        connect(action, &QAction::triggered, this, [this, command] { OnCommand(command); });
    }
    auto *container = new QWidget;
    auto *layout = new QVBoxLayout(container);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *menuBar = new QMenuBar(container);
    menuBar->addMenu(m_menu);
    layout->setMenuBar(menuBar);
    layout->addWidget(m_splitter);
    m_splitter->setChildrenCollapsible(false);
    m_splitter->setStretchFactor(0, LeftShare);
    m_splitter->setStretchFactor(1, RightShare);
    m_splitter->setSizes({LeftShare * 1000, RightShare * 1000});
    setWidget(container);
    connect(m_left, &CLeftView::CommandChosen, this, &CTMonitorFrame::OnCommand);
    connect(document, &CTMonitorDoc::CurrentChanged, this, [this] { UpdateCommands(); });
    UpdateCommands();
}

CTMonitorFrame::~CTMonitorFrame() = default;

void CTMonitorFrame::showEvent(QShowEvent *event)
{
    CProChildFrame::showEvent(event);
    if (!m_loaded) {
        m_loaded = true;
        Reload();
    }
}

bool CTMonitorFrame::Reload()
{
    if (!m_doc->LoadTree())
        return false;
    m_left->expandAll();
    return true;
}

void CTMonitorFrame::UpdateCommands(QToolBar *toolBar)
{
    const QModelIndex current = m_doc->Current();
    const CElementTreeModel::Kind kind = m_doc->Tree().KindOf(current);
    Enable(m_menu->actions(), current, kind);
    if (!toolBar) {
        CProApp *app = CProApp::instance();
        CProMainFrame *main = app ? app->GetMainFrame() : nullptr;
        toolBar = main ? main->ModuleToolBar() : nullptr;
    }
    if (toolBar)
        Enable(toolBar->actions(), current, kind);
}

bool CTMonitorFrame::OnCommand(int command)
{
    if (command == ProbeCommand::Reload)
        return Reload();
    if (command >= ProbeCommand::AddGroup && command < ProbeCommand::Reload) {
        m_actions->Run(command);
        return true;
    }
    return CProChildFrame::OnCommand(command);
}
