#include "modules/access/departmentframe.h"

#include <QItemSelectionModel>
#include <QTreeView>

#include "frame/procommands.h"
#include "modules/access/departmentdoc.h"
#include "modules/access/securityviews.h"

CDepartmentFrame::CDepartmentFrame(CDepartmentDoc *document)
    : CProChildFrame(document), m_doc(document), m_tree(new QTreeView(this))
{
    setWindowTitle(QStringLiteral("Department"));
    document->SetCallerWindow(this);
    m_tree->setModel(&document->Departments());
    securityviews::MakeDepartmentTree(m_tree);
    setWidget(m_tree);
    connect(m_tree->selectionModel(), &QItemSelectionModel::selectionChanged, this, &CDepartmentFrame::UpdateCommands);

    AddCommand(New, QStringLiteral("新建"), QStyle::SP_FileIcon,
               [this] { Select(m_doc->NewDepartment(SelectedNode(), this)); }, [this] { return m_doc->CanAdd(); });
    AddCommand(Modify, QStringLiteral("修改"), QStyle::SP_FileDialogDetailedView,
               [this] { Select(m_doc->ModifyDepartment(SelectedNode(), this)); },
               [this] { return m_doc->CanModify(SelectedNode()); });
    AddCommand(Delete, QStringLiteral("删除"), QStyle::SP_TrashIcon,
               [this] {
                   if (m_doc->DeleteDepartment(SelectedNode()))
                       m_tree->selectionModel()->clearSelection();
               },
               [this] { return m_doc->CanDelete(SelectedNode()); });
    SetToolBarCommands({New, Modify, Delete, ProCommand::CloseDocument});
    AddMenu(QStringLiteral("操作"), {New, Modify, Delete, Separator, ProCommand::CloseDocument});
    UpdateCommands();
}

QModelIndex CDepartmentFrame::SelectedNode() const
{
    const QModelIndexList selected = m_tree->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? QModelIndex() : selected.first();
}

void CDepartmentFrame::Select(const QModelIndex &node)
{
    if (node.isValid())
        m_tree->setCurrentIndex(node);
}
