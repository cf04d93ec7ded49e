#pragma once

#include <QStandardItemModel>

#include "frame/prochildframe.h"

class CAlertDoc;
class QListView;
class QPlainTextEdit;
class QSplitter;
class QTreeView;

// AlarmDesk's window: the alert-type tree on the left; on the right the rule
// list above the detail view of the selected rule. The list is fetched when
// the window is first shown, and again by the tree and "刷    新".
class CAlertFrame : public CProChildFrame
{
    Q_OBJECT

public:
    enum RuleCommand {
        NewRule = 32789,
        EditRule = 32792,
        DeleteRule = 32786,
        SwitchOn = 32787,
        SwitchOff = 32788,
        ShowLog = 32793,
        Refresh = 32790,
    };
    // Item data of the type tree's root; the children carry their type number.
    static constexpr int RootData = 8899;
    static constexpr int TypeRole = Qt::UserRole + 1;

    explicit CAlertFrame(CAlertDoc *document);

    CAlertDoc *Document() const { return m_doc; }
    QTreeView *TypeTree() const { return m_typeTree; }
    QStandardItemModel &Types() { return m_types; }
    QListView *RuleList() const { return m_list; }
    QPlainTextEdit *Detail() const { return m_detail; }

    // The user picked an item of the type tree (the root lists every rule).
    void ChooseType(const QModelIndex &index);
    // The user clicked a rule row.
    void ChooseRule(const QModelIndex &index);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void BuildTypes();
    QWidget *MakeListPane();
    void ShowRules();
    void ShowDetail();
    void Run(bool (CAlertDoc::*command)());
    void Switch(bool on);

    CAlertDoc *m_doc;
    QStandardItemModel m_types;
    QTreeView *m_typeTree;
    QListView *m_list;
    QPlainTextEdit *m_detail;
    bool m_loaded = false;
};
