#pragma once

#include <functional>

#include <QDialog>

#include "modules/alarm/rulerecords.h"

class CAlertEditorPanel;
class QPushButton;

// The rule editor (dialog 1027): the editor panel, "检测" for the monitors the
// rule watches, "确定" and "取消". "确定" checks the input and hands the
// records to the save function; the dialog closes only when that succeeded,
// so a refused save keeps everything that was typed.
class CAlertRuleDialog : public QDialog
{
    Q_OBJECT

public:
    enum { ResourceId = 1027, MonitorButtonId = 2000 };
    using SaveFunction = std::function<bool(const CRuleRecords &)>;
    // Lets the user choose the monitors of records; false when nothing changed.
    using MonitorFunction = std::function<bool(CRuleRecords &)>;

    // records: the rule to edit, or (add) one with a new RuleID.
    CAlertRuleDialog(CRuleRecords records, bool add, SaveFunction save, MonitorFunction selectMonitors,
                     QWidget *parent = nullptr);

    CAlertEditorPanel *Panel() const { return m_panel; }
    const CRuleRecords &Records() const { return m_records; }
    QPushButton *MonitorButton() const { return m_monitors; }
    QPushButton *OkButton() const { return m_ok; }

    // The panel's checks; an empty text when the input can be saved.
    QString Check() const;
    // "确定": checks, saves, closes; false (message shown, dialog open) otherwise.
    bool Confirm();
    // "检测".
    void ChooseMonitors();

private:
    CRuleRecords m_records;
    bool m_add;
    SaveFunction m_save;
    MonitorFunction m_selectMonitors;
    CAlertEditorPanel *m_panel;
    QPushButton *m_monitors;
    QPushButton *m_ok;
    QPushButton *m_cancel;
};
