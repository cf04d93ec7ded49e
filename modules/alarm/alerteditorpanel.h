#pragma once

#include <QList>
#include <QScrollArea>
#include <QStringList>

#include "modules/alarm/alertlayout.h"
#include "modules/alarm/rulerecords.h"

class QAbstractButton;
class QComboBox;
class QLineEdit;
class QPainter;

// The editor panel of a rule, built from the three layout files: the
// alert-type buttons with the parameter boxes of the chosen type, the
// send-rule buttons with their count boxes, the rule name and the level list,
// with the captions painted between them. It loads a rule's records into the
// controls, checks the input and writes it back.
class CAlertEditorPanel : public QScrollArea
{
    Q_OBJECT

public:
    static constexpr int LevelListId = 3030;
    static constexpr int NameBytes = 63;   // RuleName holds 63 bytes
    static constexpr int ValueBytes = 1023; // ParaValue holds 1023 bytes
    static constexpr int MaxCount = 9999;
    static constexpr int SendRulesWithCounts = 3;
    static constexpr int SecondCountBytes = 16;

    explicit CAlertEditorPanel(QWidget *parent = nullptr);
    ~CAlertEditorPanel() override;

    // Builds the controls from the layout files below the install root.
    void Build();
    // Builds the controls from the layouts given (tests, other sources).
    void Build(const QList<CLayoutEntry> &types, const QList<CLayoutEntry> &sendRules,
               const QList<CLayoutEntry> &parameters);
    // What could not be read while building (one text per file).
    QStringList Warnings() const { return m_warnings; }

    QLineEdit *NameEdit() const { return m_name; }
    QComboBox *LevelList() const { return m_level; }
    QList<QAbstractButton *> TypeButtons() const { return m_typeButtons; }
    QList<QAbstractButton *> SendButtons() const { return m_sendButtons; }
    // The count boxes of send rule index (none beyond the third rule).
    QList<QLineEdit *> CountEdits(int index) const;
    // The parameter boxes of the alert type shown, in creation order.
    QList<QLineEdit *> ParameterEdits() const { return m_parameterEdits; }
    QString ParameterName(int box) const { return m_parameterEntries.value(box).paraName; }

    // The recorded choices: the index of the button last clicked or loaded,
    // else the one that starts on; -1 for none.
    int RecordedType() const { return m_type; }
    int RecordedSend() const { return m_send; }

    // Fills the controls from a rule's records.
    void Load(const CRuleRecords &records);
    // Why the input cannot be saved, or an empty text.
    QString Check() const;
    // Writes the input into records (the rule's name, parameter, send-type
    // parameter and alert-type parameters); Check() first.
    void Save(CRuleRecords &records) const;

    // Paints the captions and lines (the panel's canvas calls it).
    void Paint(QPainter &painter) const;

private:
    void Clear();
    QList<QAbstractButton *> MakeButtons(const QList<CLayoutEntry> &entries, bool isType);
    void MakeCountBoxes();
    void Choose(QList<QAbstractButton *> &group, int index, bool select);
    void ShowParameters(int typeId);
    void UpdateCanvasSize();
    QLineEdit *MakeEdit(const QRect &rect, int maxBytes);

    QWidget *m_canvas;
    QStringList m_warnings;
    QList<CLayoutEntry> m_typeEntries;
    QList<CLayoutEntry> m_sendEntries;
    QList<CLayoutEntry> m_allParameters;
    QList<QAbstractButton *> m_typeButtons;
    QList<QAbstractButton *> m_sendButtons;
    QList<QList<QLineEdit *>> m_countEdits;
    QList<CLayoutEntry> m_parameterEntries; // of the boxes shown
    QList<QLineEdit *> m_parameterEdits;
    QLineEdit *m_name = nullptr;
    QComboBox *m_level = nullptr;
    static constexpr int NoType = -1;
    int m_shownTypeId = NoType; // the alert type whose boxes are shown
    int m_type = -1;
    int m_send = -1;
    // What was loaded and must survive a save that does not touch it.
    int m_loadedType = -1;
    std::vector<AlertRuleTypeParameterObj> m_loadedParameters;
    QString m_storedLevel;
    bool m_levelPicked = true;
};
