#pragma once

#include "frame/prochildframe.h"

class CDepartmentDoc;
class QTreeView;

// The department window: the department tree, every node expanded.
class CDepartmentFrame : public CProChildFrame
{
    Q_OBJECT

public:
    enum CommandId { New = 32771, Modify = 32772, Delete = 32774 };

    explicit CDepartmentFrame(CDepartmentDoc *document);

    CDepartmentDoc *Document() const { return m_doc; }
    QTreeView *TreeView() const { return m_tree; }
    QModelIndex SelectedNode() const;

private:
    // Selects node when it is valid (a command's result), else keeps the selection.
    void Select(const QModelIndex &node);

    CDepartmentDoc *m_doc;
    QTreeView *m_tree;
};
