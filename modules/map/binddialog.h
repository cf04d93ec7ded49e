#pragma once

#include "modules/map/checkeddialog.h"
#include "frame/elementtree/elementtreemodel.h"

class OrbService;
class QTreeView;

// "关联设备": the inventory tree with the icons of "MTree.ini"; OK takes the
// chosen element.
class CBindDialog : public CCheckedDialog
{
    Q_OBJECT

public:
    CBindDialog(const QString &currentId, QWidget *parent = nullptr);

    // "findElementTree" "-1" through service; false (message shown) on failure.
    bool LoadTree(OrbService *service);
    CElementTreeModel &Model() { return m_model; }
    QTreeView *TreeView() const { return m_tree; }
    bool Choose(const QString &elementId);
    QString ChosenId() const;
    QString Check() const override;

private:
    CElementTreeModel m_model;
    QTreeView *m_tree;
    QString m_currentId;
};
