#include "modules/probe/leftview.h"

#include <QContextMenuEvent>
#include <QMenu>

#include "frame/elementtree/iconlist.h"
#include "modules/probe/probecommands.h"
#include "modules/probe/tmonitordoc.h"

CLeftView::CLeftView(CTMonitorDoc &document, QWidget *parent) : QTreeView(parent), m_doc(document)
{
    setModel(&document.Tree());
    setHeaderHidden(true);
    setUniformRowHeights(true);
    setIconSize(QSize(CIconList::IconSize, CIconList::IconSize));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Rows four pixels taller than the default; black on white.
    setStyleSheet(QStringLiteral("QTreeView { background: white; color: black; }"
                                 "QTreeView::item { padding-top: 2px; padding-bottom: 2px; }"));
    // The current node is the selected item: the view's own current index
    // (set on focus, moved to a neighbour when a row goes) is not a choice.
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const QModelIndexList selected = selectionModel()->selectedIndexes();
        m_doc.SetCurrent(selected.isEmpty() ? QModelIndex() : selected.first());
    });
}

QMenu *CLeftView::MenuAt(const QPoint &position)
{
    const QModelIndex item = indexAt(position);
    if (!item.isValid() || !visualRect(item).contains(position))
        return nullptr;
    setCurrentIndex(item);
    const ProbeCommand::Menu menu = ProbeCommand::PopupMenu(m_doc.Tree().KindOf(item));
    auto *popup = new QMenu(QString::fromUtf8(menu.title), this);
    for (const ProbeCommand::MenuItem &entry : menu.items) {
        QAction *action = popup->addAction(QString::fromUtf8(entry.text));
        const int command = entry.command;
        action->setData(command);
        connect(action, &QAction::triggered, this, [this, command] { emit CommandChosen(command); });
    }
    return popup;
}

void CLeftView::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *popup = MenuAt(event->pos());
    if (!popup)
        return;
    popup->setAttribute(Qt::WA_DeleteOnClose);
    popup->popup(event->globalPos());
}

void CLeftView::rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end)
{
    bool selectedGoes = false;
    for (QModelIndex item = m_doc.Current(); item.isValid() && !selectedGoes; item = item.parent())
        selectedGoes = item.parent() == parent && item.row() >= start && item.row() <= end;
    if (selectedGoes)
        selectionModel()->clear();
    QTreeView::rowsAboutToBeRemoved(parent, start, end);
}
