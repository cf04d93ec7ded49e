#include "modules/probe/tmonitorframe.h"

#include <QSplitter>

#include "frame/localtext.h"
#include "frame/procommands.h"
#include "modules/probe/inventoryactions.h"
#include "modules/probe/leftview.h"
#include "modules/probe/monitortiledelegate.h"
#include "modules/probe/probecommands.h"
#include "modules/probe/rupview.h"
#include "modules/probe/tmonitordoc.h"
#include "services/types/elementobj.h"

namespace {

constexpr int LeftShare = 10;
constexpr int RightShare = 22;

} // namespace

CTMonitorFrame::CTMonitorFrame(CTMonitorDoc *document)
    : CProChildFrame(document)
    , m_doc(document)
    , m_actions(std::make_unique<CInventoryActions>(*document, this))
    , m_splitter(new QSplitter(Qt::Horizontal, this))
    , m_left(new CLeftView(*document, m_splitter))
    , m_details(new CRUpView(*document, m_splitter))
{
    setWindowTitle(QStringLiteral("TMonitor"));
    document->SetWindow(this);
    m_splitter->setChildrenCollapsible(false);
    m_splitter->setStretchFactor(0, LeftShare);
    m_splitter->setStretchFactor(1, RightShare);
    m_splitter->setSizes({LeftShare * 1000, RightShare * 1000});
    setWidget(m_splitter);

    for (const ProbeCommand::Declaration &declared : ProbeCommand::Declarations()) {
        const int command = declared.command;
        AddCommand(
            command, QString::fromUtf8(declared.text), declared.icon,
            [this, command] {
                if (command == ProbeCommand::Reload)
                    Reload();
                else
                    m_actions->Run(command);
            },
            [this, command] {
                const QModelIndex current = m_doc->Current();
                return ProbeCommand::Applies(command, current.isValid(), m_doc->Tree().KindOf(current));
            });
    }
    const auto menu = ProbeCommand::ModuleMenu();
    AddMenu(QStringLiteral("Monitor"), {menu[0], menu[1], menu[2], Separator, menu[3], menu[4], menu[5], Separator,
                                        menu[6], menu[7], Separator, menu[8]});
    SetToolBarCommands({menu[0], menu[1], menu[2], menu[3], menu[4], menu[5], menu[6], menu[7], menu[8], Separator,
                        ProCommand::CloseDocument});
    connect(m_left, &CLeftView::CommandChosen, this, &CTMonitorFrame::OnCommand);
    connect(document, &CTMonitorDoc::CurrentChanged, this, &CTMonitorFrame::UpdateCommands);
    connect(m_details, &CRUpView::TileButton, this, &CTMonitorFrame::OnTileButton);
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

void CTMonitorFrame::OnTileButton(int button, const ElementObj &monitor)
{
    const QString id = fromLocal(monitor.get(ElementObj::ID));
    switch (button) {
    case CMonitorTileDelegate::Edit:
        m_actions->RunOn(ProbeCommand::Edit, m_doc->Tree().FindId(id));
        break;
    case CMonitorTileDelegate::Delete:
        m_actions->RunOn(ProbeCommand::Delete, m_doc->Tree().FindId(id));
        break;
    case CMonitorTileDelegate::Test:
        // A completed run changes the monitor's state: show it.
        if (m_actions->TestMonitor(monitor))
            m_details->Refresh();
        break;
    case CMonitorTileDelegate::Alert:
        m_actions->ShowAlertLog(id);
        break;
    default:
        break;
    }
}
