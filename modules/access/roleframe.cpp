#include "modules/access/roleframe.h"

#include <QItemSelectionModel>
#include <QLineEdit>
#include <QSplitter>
#include <QTreeView>
#include <QVBoxLayout>

#include "frame/procommands.h"
#include "modules/access/roledoc.h"
#include "modules/access/securityviews.h"

CRoleFrame::CRoleFrame(CRoleDoc *document)
    : CProChildFrame(document), m_doc(document), m_list(new QTreeView), m_tree(new QTreeView),
      m_edit(nullptr)
{
    setWindowTitle(QStringLiteral("Role"));
    document->SetCallerWindow(this);
    // The edit box floats over the list but is not its child: the list is
    // disabled while the box takes the typing.
    auto *pane = new QWidget(this);
    auto *splitter = new QSplitter(Qt::Horizontal, pane);
    auto *layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);
    m_edit = new QLineEdit(pane);
    m_list->setModel(&document->Names());
    m_list->setFont(QFont(QStringLiteral("Tahoma"), 8.5));
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // One column of names under its header "角色名称".
    m_list->setRootIsDecorated(false);
    m_list->setItemsExpandable(false);
    m_tree->setModel(&document->Modules());
    m_tree->setHeaderHidden(true);
    connect(&document->Modules(), &QAbstractItemModel::modelReset, m_tree, &QTreeView::expandAll);
    m_tree->expandAll();
    securityviews::SplitTenToTwentyTwo(splitter, m_list, m_tree);
    setWidget(pane);
    m_edit->hide();

    connect(m_list, &QTreeView::clicked, this, &CRoleFrame::ChooseRole);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this, &CRoleFrame::UpdateCommands);
    connect(document, &CRoleDoc::StateChanged, this, [this] {
        if (!m_doc->IsEditing())
            ShowEditBox(-1);
        UpdateCommands();
    });
    connect(m_edit, &QLineEdit::returnPressed, this, [this] { OnCommand(Save); });

    const auto editing = [this] { return m_doc->IsEditing(); };
    AddCommand(New, QStringLiteral("新建"), QStyle::SP_FileIcon, [this] { ShowEditBox(m_doc->BeginNew()); },
               [this] { return m_doc->CanAdd(); });
    AddCommand(Modify, QStringLiteral("修改"), QStyle::SP_FileDialogDetailedView,
               [this] { ShowEditBox(m_doc->BeginModify(SelectedRow())); },
               [this] { return m_doc->CanModify(SelectedRow()); });
    AddCommand(Delete, QStringLiteral("删除"), QStyle::SP_TrashIcon, [this] { m_doc->DeleteRole(SelectedRow()); },
               [this] { return m_doc->CanDelete(); });
    AddCommand(Save, QStringLiteral("保存"), QStyle::SP_DialogSaveButton,
               [this] {
                   if (!m_doc->Save(m_edit->text()))
                       ShowEditBox(m_doc->EditRow()); // back over the row, keeping the text typed
               },
               editing);
    AddCommand(Cancel, QStringLiteral("取消"), QStyle::SP_DialogCancelButton, [this] { m_doc->Cancel(); }, editing);
    SetToolBarCommands({New, Modify, Delete, Save, Cancel, ProCommand::CloseDocument});
    AddMenu(QStringLiteral("操作"), {New, Modify, Delete, Separator, Save, Cancel, Separator, ProCommand::CloseDocument});
    UpdateCommands();
}

void CRoleFrame::showEvent(QShowEvent *event)
{
    CProChildFrame::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    const QModelIndex first = m_doc->Names().index(0);
    if (first.isValid()) {
        m_list->setCurrentIndex(first);
        ChooseRole(first);
    }
}

int CRoleFrame::SelectedRow() const
{
    const QModelIndexList rows = m_list->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void CRoleFrame::ChooseRole(const QModelIndex &index)
{
    if (index.isValid())
        m_doc->SelectRole(index.row());
    UpdateCommands();
}

void CRoleFrame::ShowEditBox(int row)
{
    if (row < 0) {
        m_edit->hide();
        m_list->setEnabled(true);
        UpdateCommands();
        return;
    }
    const QModelIndex index = m_doc->Names().index(row);
    if (!m_edit->isVisible())
        m_edit->setText(index.data().toString());
    m_list->setCurrentIndex(index);
    m_list->setEnabled(false);
    const QRect rect = m_list->visualRect(index);
    m_edit->setGeometry(QRect(m_list->viewport()->mapTo(m_edit->parentWidget(), rect.topLeft()), rect.size()));
    m_edit->raise();
    m_edit->show();
    m_edit->setFocus();
    m_edit->selectAll();
    UpdateCommands();
}
