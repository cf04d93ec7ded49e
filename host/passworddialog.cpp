#include "host/passworddialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "frame/hosttexts.h"
#include "frame/proapp.h"
#include "frame/localtextvalidator.h"

CPasswordDialog::CPasswordDialog(const QString &storedPassword, const QString &userName, QWidget *parent)
    : QDialog(parent), m_storedPassword(storedPassword), m_userName(userName)
{
    setWindowTitle(HostText("修改登录密码"));
    setObjectName(QStringLiteral("dialog3334"));

    auto *fields = new QFormLayout;
    const struct
    {
        QLineEdit *&edit;
        const char *name;
        QString label;
    } rows[] = {
        {m_old, "control1025", HostText("旧密码：")},
        {m_new, "control1026", HostText("新密码：")},
        {m_confirm, "control1027", HostText("确认密码：")},
    };
    for (const auto &row : rows) {
        row.edit = new QLineEdit(this);
        row.edit->setObjectName(QLatin1String(row.name));
        row.edit->setEchoMode(QLineEdit::Password);
        CLocalTextValidator::limit(row.edit, MaxLength);
        fields->addRow(row.label, row.edit);
    }
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(HostText("确定"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(HostText("取消"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CPasswordDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(buttons);
    m_old->setFocus();
}

QString CPasswordDialog::newPassword() const
{
    return m_new->text();
}

QString CPasswordDialog::check() const
{
    if (m_new->text().isEmpty())
        return HostText("不允许空密码");
    if (m_new->text() != m_confirm->text())
        return HostText("新密码与验证密码不符，请重新输入！");
    if (m_old->text() != m_storedPassword)
        return HostText("旧密码不正确，请重新输入！");
    return {};
}

void CPasswordDialog::accept()
{
    const QString refusal = check();
    if (refusal.isEmpty()) {
        QDialog::accept();
        return;
    }
    if (CProApp *app = CProApp::instance())
        app->ShowMessageBox(refusal, HostText("错误！"), CProApp::MessageIcon::Error);
}
