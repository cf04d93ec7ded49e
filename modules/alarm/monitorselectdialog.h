#pragma once

#include <string>
#include <vector>

#include <QDialog>

#include "services/types/alertmonitorobj.h"

class CElementTreeModel;
class QTreeView;

// The monitors a rule watches (dialog 1028): the inventory tree with check
// boxes, a node checked when the rule watches it. Watched monitors that the
// tree does not show stay watched.
class CMonitorSelectDialog : public QDialog
{
    Q_OBJECT

public:
    enum { ResourceId = 1028 };

    // model: the inventory, made checkable here; monitors: watched now.
    CMonitorSelectDialog(CElementTreeModel &model, const std::vector<AlertMonitorObj> &monitors,
                         QWidget *parent = nullptr);

    QTreeView *Tree() const { return m_tree; }
    // The checked nodes, depth first from the first root, then the watched
    // monitors the tree does not show; each tied to ruleId.
    std::vector<AlertMonitorObj> Monitors(const std::string &ruleId) const;

private:
    CElementTreeModel &m_model;
    QTreeView *m_tree;
    QStringList m_watched;
};
