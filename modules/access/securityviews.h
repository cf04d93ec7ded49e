#pragma once

#include <initializer_list>

class QAbstractItemView;
class QDialog;
class QLayout;
class QSplitter;
class QTableView;
class QTreeView;
class QWidget;

// The looks AccessDesk's windows share.
namespace securityviews {

// A report list: full-row selection of one row, black on white, "Tahoma"
// 8.5 points, the given column widths.
void MakeReportList(QTableView *list, std::initializer_list<int> widths);
// A department tree: no header, not editable, expanded whenever it is reset.
void MakeDepartmentTree(QTreeView *tree);
// Two panes side by side at 10/32 and 22/32 of the width, each at least 10 pixels.
void SplitTenToTwentyTwo(QSplitter *splitter, QWidget *left, QWidget *right);

// The fields of a dialog above its "确定" and "取消" buttons; OK runs the
// dialog's accept() (with its checks), Cancel rejects.
void LayOutDialog(QDialog *dialog, QLayout *fields);

} // namespace securityviews
