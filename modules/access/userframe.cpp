#include "modules/access/userframe.h"

#include <QItemSelectionModel>
#include <QSplitter>
#include <QTableView>
#include <QTreeView>

#include "frame/procommands.h"
#include "modules/access/securityviews.h"
#include "modules/access/userdoc.h"

CUserFrame::CUserFrame(CUserDoc *document)
    : CProChildFrame(document), m_doc(document), m_tree(new QTreeView), m_list(new QTableView)
{
    setWindowTitle(QStringLiteral("User"));
    document->SetCallerWindow(this);
    auto *splitter = new QSplitter(Qt::Horizontal, this);
    m_tree->setModel(&document->Departments());
    securityviews::MakeDepartmentTree(m_tree);
    m_list->setModel(&document->Users());
    securityviews::MakeReportList(m_list, {150, 150, 150, 150});
    securityviews::SplitTenToTwentyTwo(splitter, m_tree, m_list);
    setWidget(splitter);

    connect(m_tree, &QTreeView::clicked, this, &CUserFrame::ChooseDepartment);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this, &CUserFrame::UpdateCommands);
    connect(&document->Users(), &QAbstractItemModel::modelReset, this, &CUserFrame::UpdateCommands);

    AddCommand(New, QStringLiteral("新建"), QStyle::SP_FileIcon, [this] { m_doc->NewUser(this); },
               [this] { return m_doc->CanAdd(); });
    AddCommand(Modify, QStringLiteral("修改"), QStyle::SP_FileDialogDetailedView,
               [this] { m_doc->ModifyUser(SelectedRow(), this); }, [this] { return m_doc->CanModify(SelectedRow()); });
    AddCommand(Delete, QStringLiteral("删除"), QStyle::SP_TrashIcon, [this] { m_doc->DeleteUser(SelectedRow()); },
               [this] { return m_doc->CanDelete(SelectedRow()); });
    SetToolBarCommands({New, Modify, Delete, ProCommand::CloseDocument});
    AddMenu(QStringLiteral("操作"), {New, Modify, Delete, Separator, ProCommand::CloseDocument});
    UpdateCommands();
}

int CUserFrame::SelectedRow() const
{
    const QModelIndexList rows = m_list->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void CUserFrame::ChooseDepartment(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    m_list->clearSelection();
    m_doc->SelectDepartment(index.data(CDepartmentTreeModel::IdRole).toString());
    UpdateCommands();
}
