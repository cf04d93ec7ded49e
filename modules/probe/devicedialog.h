#pragma once

#include <QDialog>

#include "services/types/elementobj.h"

class CEntityCatalog;
class CPropertyForm;
class MtxTree;
class QTreeWidget;
class QTreeWidgetItem;

// The add-device dialog: the entity-type tree and the chosen type's property
// form. The form of a type is the section whose viewId is the type's code.
class CDeviceDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr const char *IconFile = "EntityTree.ini";
    static constexpr const char *LabelName = "Lable";
    static constexpr const char *AddressName = "IPAddress";
    static constexpr int LabelBytes = 127;
    static constexpr int AddressBytes = 63;
    static constexpr int ParamBytes = 127;

    explicit CDeviceDialog(const CEntityCatalog &catalog, QWidget *parent = nullptr);

    // Shows a stored device: its type chosen (and fixed), its values in the form.
    void Load(const ElementObj &device);
    // Chooses a type for a new device; false for a type without a code or an
    // unknown code.
    bool ChooseType(const QString &typeCode);
    // For a new device: the first type, depth first, that has a code.
    void ChooseFirstType();

    QTreeWidget *TypeTree() const { return m_types; }
    CPropertyForm *Form() const { return m_form; }
    QString TypeCode() const { return m_typeCode; }

    // Writes type, label, address and parameters into device: each form value
    // replaces the parameter of its name, parameters the form does not show
    // stay. A message (device unchanged) when something cannot be stored.
    QString Store(ElementObj &device) const;

    void accept() override;

private:
    void AddTypes(const MtxTree &tree, QTreeWidgetItem *parent);
    void ShowForm();

    const CEntityCatalog &m_catalog;
    ElementObj m_device;
    QString m_typeCode;
    QTreeWidget *m_types;
    CPropertyForm *m_form;
};
