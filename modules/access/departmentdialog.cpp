#include "modules/access/departmentdialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

#include "frame/localtextvalidator.h"
#include "frame/proapp.h"
#include "modules/access/securityviews.h"

CDepartmentDialog::CDepartmentDialog(Mode mode, const CDepartmentTreeModel::Department &department,
                                     const QString &parentName, QWidget *parent)
    : QDialog(parent), m_id(new QLineEdit(department.id, this)), m_name(new QLineEdit(department.name, this)),
      m_parent(new QLineEdit(department.parentId, this)), m_parentName(new QLabel(parentName, this)),
      m_description(new QLineEdit(department.description, this))
{
    setObjectName(QStringLiteral("dialog7000"));
    setWindowTitle(mode == Mode::Add ? QStringLiteral("新增部门") : QStringLiteral("修改部门"));
    const struct
    {
        QLineEdit *edit;
        int chars, bytes;
    } limits[] = {{m_id, IdChars, IdBytes},
                  {m_name, NameChars, NameBytes},
                  {m_parent, IdChars, IdBytes},
                  {m_description, DescriptionChars, DescriptionBytes}};
    for (const auto &limit : limits) {
        limit.edit->setMaxLength(limit.chars);
        CLocalTextValidator::limit(limit.edit, limit.bytes);
    }
    // The ID names the record on the server: it is not edited once made.
    m_id->setReadOnly(mode == Mode::Edit);

    auto *parentRow = new QHBoxLayout;
    parentRow->addWidget(m_parent);
    parentRow->addWidget(m_parentName);
    auto *fields = new QFormLayout;
    fields->addRow(QStringLiteral("部门ID"), m_id);
    fields->addRow(QStringLiteral("部门名称"), m_name);
    fields->addRow(QStringLiteral("父部门"), parentRow);
    fields->addRow(QStringLiteral("描述"), m_description);
    securityviews::LayOutDialog(this, fields);
}

bool CDepartmentDialog::Check() const
{
    const struct
    {
        QLineEdit *edit;
        const char *label;
        const char *empty;
        int bytes;
    } checks[] = {{m_id, "部门ID", "部门ID不能为空", IdBytes},
                  {m_name, "部门名称", "部门名称不能为空", NameBytes},
                  {m_parent, "父部门", "父部门ID不能为空", IdBytes},
                  {m_description, "描述", "描述不能为空", DescriptionBytes}};
    CProApp *app = CProApp::instance();
    for (const auto &check : checks) {
        const QString text = check.edit->text().trimmed();
        QString refusal;
        if (text.isEmpty())
            refusal = QString::fromUtf8(check.empty);
        else if (!CLocalTextValidator::fits(text, check.bytes))
            refusal = QString::fromUtf8(check.label) + QStringLiteral(": ")
                      + CLocalTextValidator::tooLongMessage(check.bytes);
        if (!refusal.isEmpty()) {
            if (app)
                app->ShowMessage(refusal);
            return false;
        }
    }
    return true;
}

void CDepartmentDialog::accept()
{
    if (Check())
        QDialog::accept();
}

CDepartmentTreeModel::Department CDepartmentDialog::Department() const
{
    return {m_id->text().trimmed(), m_name->text().trimmed(), m_parent->text().trimmed(),
            m_description->text().trimmed()};
}
