#pragma once

#include <QDialog>

#include "modules/probe/monitorlibrary.h"
#include "services/types/elementobj.h"

class CEntityCatalog;
class CPropertyForm;
class EntityObj;
class MonitorObj;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// The monitor dialog: the kinds the device's type allows, the name, the
// parameter rows of the chosen kind and its three state conditions
// (normal, warning, error) as display text.
class CMonitorDialog : public QDialog
{
    Q_OBJECT

public:
    enum Box { Normal, Warning, Error, BoxCount };
    static constexpr int NameBytes = 127;
    static constexpr int ParamBytes = 127;

    CMonitorDialog(const CMonitorLibrary &library, const CEntityCatalog &catalog, const ElementObj &device,
                   QWidget *parent = nullptr);

    // Fills the dialog from a stored monitor (its kind can no longer change).
    void Load(const MonitorObj &monitor);
    // Chooses a kind for a new monitor: its name, default parameters and
    // default conditions. False when the device's type does not allow it.
    bool ChooseKind(const QString &kindId);
    // For a new monitor: the first kind the type allows, if any.
    void ChooseFirstKind();

    QTreeWidget *KindTree() const { return m_kinds; }
    QLineEdit *NameEdit() const { return m_name; }
    CPropertyForm *Parameters() const { return m_form; }
    QLineEdit *ConditionBox(Box box) const { return m_boxes[box]; }
    QPushButton *ConditionButton(Box box) const { return m_buttons[box]; }
    QString KindId() const { return m_kindId; }

    // Writes kind, name, parameters and conditions into monitor; a message
    // naming what is wrong (monitor unchanged) when they cannot be stored.
    QString Store(MonitorObj &monitor) const;
    // Opens the condition dialog for box and appends its clause.
    void EditCondition(Box box);

    void accept() override;

private:
    void FillKinds();
    void ShowKind(const MonitorKind *kind, const MonitorObj *stored);
    QString ResolveDefault(const QString &value) const;
    // The chosen kind's return values; for a kind the library does not
    // describe, the names the stored conditions use.
    const std::vector<ReturnValue> &Returns() const;

    const CMonitorLibrary &m_library;
    const CEntityCatalog &m_catalog;
    ElementObj m_device;
    QString m_kindId;
    std::vector<ReturnValue> m_storedReturns;
    bool m_editing = false;
    QTreeWidget *m_kinds;
    QLineEdit *m_name;
    CPropertyForm *m_form;
    QLineEdit *m_boxes[BoxCount];
    QPushButton *m_buttons[BoxCount];
};
