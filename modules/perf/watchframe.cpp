#include "modules/perf/watchframe.h"

#include <QApplication>
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

    document->SetView(this);
    connect(&document->TypeModel(), &QAbstractItemModel::modelReset, m_left, &QTreeView::expandAll);
    connect(m_left, &QTreeView::clicked, this, &CWatchFrame::Choose);

    AddCommand(Relogin, QStringLiteral("重新登录"), QStyle::SP_DialogApplyButton, [this] { m_doc->Relogin(); });
    AddCommand(Refresh, QStringLiteral("刷新"), QStyle::SP_BrowserReload, [this] { m_doc->LoadWatchTypes(); });
    SetToolBarCommands({Relogin, Refresh, ProCommand::CloseDocument});
    AddMenu(QStringLiteral("操作(&O)"), {Refresh, Separator, ProCommand::CloseDocument});
    // The right view follows the current node when the keyboard moves it; a
    // click makes it current too, and is answered once, as a click.
    connect(m_left->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                if (QApplication::mouseButtons() == Qt::NoButton)
                    Choose(current);
            });
}

void CWatchFrame::showEvent(QShowEvent *event)
{
    CProChildFrame::showEvent(event);
    if (!m_loaded) {
        m_loaded = true;
        // Opening shows the root's status at once.
        if (m_doc->LoadWatchTypes() && m_doc->TypeModel().rowCount() > 0)
            m_left->setCurrentIndex(m_doc->TypeModel().index(0, 0));
    }
}

void CWatchFrame::Choose(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    m_doc->ChooseType(index.data(CWatchTypeModel::NumberRole).toInt(), index.data().toString());
}
