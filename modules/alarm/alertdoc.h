#pragma once

#include <memory>
#include <string>

#include "frame/elementtree/elementtreemodel.h"
#include "frame/probaseframedoc.h"
#include "modules/alarm/alertrulestore.h"
#include "modules/alarm/rulelistmodel.h"
#include "modules/alarm/rulerecords.h"

class OrbService;
class QWidget;

// AlarmDesk's document: the "ElementService" and "AlertService" handles, the inventory tree for the
// monitor selection, the rule list, the selected rule and its working set,
// and the rule commands. Every command acts on the selected rule's own ID,
// refuses without one, and refetches the list after it succeeded.
class CAlertDoc : public CProBaseFrameDoc
{
    Q_OBJECT

public:
    static constexpr int AllTypes = -1;

    CAlertDoc();
    ~CAlertDoc() override;

    CAlertRuleStore &Store() { return *m_store; }
    // Another way to the server (tests refuse chosen calls with it).
    void SetStore(std::unique_ptr<CAlertRuleStore> store);
    // The window whose input waits while a call runs, and dialogs' parent.
    void SetWindow(QWidget *window);

    CRuleListModel &Rules() { return m_rules; }
    CElementTreeModel &Elements() { return m_elements; }

    // Fetches the rules of type (AllTypes for all) with their states.
    bool FetchRules(int type);
    // Fetches the list again for the type last asked for.
    bool Refresh() { return FetchRules(m_type); }
    int CurrentType() const { return m_type; }

    // Selects the rule of row and loads its working set.
    bool SelectRule(int row);
    bool HasSelection() const { return !m_selectedId.empty(); }
    // The selected rule's working set was read.
    bool IsLoaded() const { return m_loaded; }
    const std::string &SelectedId() const { return m_selectedId; }
    const CRuleRecords &WorkingSet() const { return m_working; }
    // The six lines of the detail view.
    QString DetailText() const;

    // "findElementTree1" with "-1" into the element model.
    bool LoadElementTree();

    // The rule commands.
    bool NewRule();
    bool EditRule();
    bool DeleteRule();
    bool SwitchRule(bool on);
    void ShowLog();

    // What the editor's "确定" and "检测" do.
    bool SaveNew(const CRuleRecords &records);
    bool SaveEdit(const CRuleRecords &old, const CRuleRecords &records);
    bool SelectMonitors(CRuleRecords &records);

private:
    void Tell(const QString &text) const;
    bool RequireSelection(const char *refusal) const;
    // Runs the editor on records; true when it saved.
    bool RunEditor(CRuleRecords records, bool add);
    // After a successful change: the message, the list again, the rule again.
    void Done(const char *message);

    OrbService *m_elementService = nullptr;
    std::unique_ptr<CAlertRuleStore> m_store;
    QWidget *m_window = nullptr;
    CRuleListModel m_rules;
    CElementTreeModel m_elements;
    int m_type = AllTypes;
    std::string m_selectedId;
    bool m_loaded = false;
    CRuleRecords m_working;
};
