#pragma once

#include <QTreeView>

class CTMonitorDoc;
class QMenu;

// The element tree of ProbeDesk's window. The selected item is the
// document's current node; a right click on an item selects it and opens the
// popup menu of its kind.
class CLeftView : public QTreeView
{
    Q_OBJECT

public:
    explicit CLeftView(CTMonitorDoc &document, QWidget *parent = nullptr);

    // The popup menu for the item at a point of the viewport, or null when
    // there is no item under it. The caller owns the menu.
    QMenu *MenuAt(const QPoint &position);

signals:
    void CommandChosen(int command);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    // A deleted node takes the selection with it, rather than handing it to
    // a neighbour that the next command would act on.
    void rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end) override;

private:
    CTMonitorDoc &m_doc;
};
