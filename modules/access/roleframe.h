#pragma once

#include "frame/prochildframe.h"

class CRoleDoc;
class QLineEdit;
class QTreeView;

// The role window: the role names on the left (10/32 of the width), the
// function-module tree with its check boxes on the right (22/32). A new or
// modified role's name is typed in an edit box over its row; the list is
// disabled until save or cancel.
class CRoleFrame : public CProChildFrame
{
    Q_OBJECT

public:
    enum CommandId { New = 32775, Modify = 32776, Delete = 32777, Save = 32779, Cancel = 32780 };

    explicit CRoleFrame(CRoleDoc *document);

    CRoleDoc *Document() const { return m_doc; }
    QTreeView *ListView() const { return m_list; }
    QTreeView *TreeView() const { return m_tree; }
    QLineEdit *NameEdit() const { return m_edit; }
    int SelectedRow() const;

    void ChooseRole(const QModelIndex &index);

protected:
    // The first role is chosen when the window first shows, so its rights are in view.
    void showEvent(QShowEvent *event) override;

private:
    // Shows the edit box over row with the row's text, or hides it (row -1).
    void ShowEditBox(int row);

    CRoleDoc *m_doc;
    QTreeView *m_list;
    QTreeView *m_tree;
    QLineEdit *m_edit;
    bool m_shown = false;
};
