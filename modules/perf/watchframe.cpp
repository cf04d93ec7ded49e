#include "modules/perf/watchframe.h"

#include <QSplitter>
#include <QTreeView>

#include "frame/procommands.h"
#include "modules/perf/rightview.h"
#include "modules/perf/watchdoc.h"

namespace {
constexpr int LeftShare = 10;
constexpr int RightShare = 22;
constexpr int MinimumPaneWidth = 10;
}

CWatchFrame::CWatchFrame(CWatchDoc *document)
    : CProChildFrame(document)
    , m_doc(document)
    , m_splitter(new QSplitter(Qt::Horizontal, this))
    , m_left(new QTreeView(m_splitter))
    , m_right(new CRightView(&document->StatusModel(), m_splitter))
{
    setWindowTitle(QStringLiteral("Watch"));
    m_left->setModel(&document->TypeModel());
    m_left->setHeaderHidden(true);
    m_left->setIconSize(QSize(16, 16));
    m_left->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Rows four pixels taller than the default; black on white.
    m_left->setStyleSheet(QStringLiteral("QTreeView { background: white; color: black; }"
                                         "QTreeView::item { padding-top: 2px; padding-bottom: 2px; }"));
    for (QWidget *pane : {static_cast<QWidget *>(m_left), static_cast<QWidget *>(m_right)})
        pane->setMinimumWidth(MinimumPaneWidth);
    m_splitter->setChildrenCollapsible(false);
    m_splitter->setStretchFactor(0, LeftShare);
    m_splitter->setStretchFactor(1, RightShare);
    m_splitter->setSizes({LeftShare * 1000, RightShare * 1000});
    setWidget(m_splitter);

    connect(&document->TypeModel(), &QAbstractItemModel::modelReset, m_left, &QTreeView::expandAll);
    connect(m_left, &QTreeView::clicked, this, &CWatchFrame::Choose);

    AddCommand(Relogin, QStringLiteral("重新登录"), QStyle::SP_DialogApplyButton, [this] { m_doc->Relogin(); });
    AddCommand(Refresh, QStringLiteral("刷新"), QStyle::SP_BrowserReload, [this] { m_doc->LoadWatchTypes(); });
    SetToolBarCommands({Relogin, Refresh, ProCommand::CloseDocument});
    AddMenu(QStringLiteral("操作(&O)"), {Refresh, Separator, ProCommand::CloseDocument});
}

void CWatchFrame::showEvent(QShowEvent *event)
{
    CProChildFrame::showEvent(event);
    if (!m_loaded) {
        m_loaded = true;
        m_doc->LoadWatchTypes();
    }
}

void CWatchFrame::Choose(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    m_doc->ChooseType(index.data(CWatchTypeModel::NumberRole).toInt(), index.data().toString());
}
