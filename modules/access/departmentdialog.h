#pragma once

#include <QDialog>

#include "modules/access/departmenttreemodel.h"

class QLabel;
class QLineEdit;

// The department dialog (7000 "部门维护"): "新增部门" or "修改部门". OK checks
// the four fields in order and stays open on the first that fails; the ID
// cannot change in edit mode.
class CDepartmentDialog : public QDialog
{
    Q_OBJECT

public:
    enum class Mode { Add, Edit };
    static constexpr int IdChars = 40, IdBytes = 36;
    static constexpr int NameChars = 128, NameBytes = 63;
    static constexpr int DescriptionChars = 1024, DescriptionBytes = 63;

    CDepartmentDialog(Mode mode, const CDepartmentTreeModel::Department &department, const QString &parentName,
                      QWidget *parent = nullptr);

    QLineEdit *IdEdit() const { return m_id; }
    QLineEdit *NameEdit() const { return m_name; }
    QLineEdit *ParentEdit() const { return m_parent; }
    QLineEdit *DescriptionEdit() const { return m_description; }

    bool Check() const;
    void accept() override;
    CDepartmentTreeModel::Department Department() const;

private:
    QLineEdit *m_id;
    QLineEdit *m_name;
    QLineEdit *m_parent;
    QLabel *m_parentName;
    QLineEdit *m_description;
};
