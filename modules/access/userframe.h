#pragma once

#include "frame/prochildframe.h"

class CUserDoc;
class QTableView;
class QTreeView;

// The user window: the department tree on the left (10/32 of the width), the
// users of the chosen department on the right (22/32).
class CUserFrame : public CProChildFrame
{
    Q_OBJECT

public:
    enum CommandId { New = 32781, Modify = 32782, Delete = 32783 };

    explicit CUserFrame(CUserDoc *document);

    CUserDoc *Document() const { return m_doc; }
    QTreeView *LeftView() const { return m_tree; }
    QTableView *ListView() const { return m_list; }
    int SelectedRow() const;

    // The user picked a department.
    void ChooseDepartment(const QModelIndex &index);

private:
    CUserDoc *m_doc;
    QTreeView *m_tree;
    QTableView *m_list;
};
