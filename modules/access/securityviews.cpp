#include "modules/access/securityviews.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QTreeView>
#include <QVBoxLayout>

namespace securityviews {

void MakeReportList(QTableView *list, std::initializer_list<int> widths)
{
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->verticalHeader()->hide();
    list->setShowGrid(false);
    list->setFont(QFont(QStringLiteral("Tahoma"), 8.5));
    list->setStyleSheet(QStringLiteral("QTableView { background: white; color: black; }"));
    int column = 0;
    for (int width : widths)
        list->setColumnWidth(column++, width);
}

void MakeDepartmentTree(QTreeView *tree)
{
    tree->setHeaderHidden(true);
    tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QObject::connect(tree->model(), &QAbstractItemModel::modelReset, tree, &QTreeView::expandAll);
    QObject::connect(tree->model(), &QAbstractItemModel::rowsInserted, tree,
                     [tree](const QModelIndex &parent) { tree->expand(parent); });
    tree->expandAll();
}

void SplitTenToTwentyTwo(QSplitter *splitter, QWidget *left, QWidget *right)
{
    constexpr int LeftShare = 10, RightShare = 22, MinimumPaneWidth = 10;
    splitter->addWidget(left);
    splitter->addWidget(right);
    left->setMinimumWidth(MinimumPaneWidth);
    right->setMinimumWidth(MinimumPaneWidth);
    splitter->setChildrenCollapsible(false);
    splitter->setStretchFactor(0, LeftShare);
    splitter->setStretchFactor(1, RightShare);
    splitter->setSizes({LeftShare * 1000, RightShare * 1000});
}

void LayOutDialog(QDialog *dialog, QLayout *fields)
{
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    auto *layout = new QVBoxLayout(dialog);
    layout->addLayout(fields);
    layout->addWidget(buttons);
}

} // namespace securityviews
