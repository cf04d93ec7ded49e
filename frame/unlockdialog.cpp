#include "frame/unlockdialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "frame/hosttexts.h"
#include "frame/proapp.h"

CUnlockDialog::CUnlockDialog(int attempts, const QString &storedPassword, QWidget *parent)
    : QDialog(parent), m_storedPassword(storedPassword), m_attempts(attempts)
{
    setWindowTitle(HostText("解除系统锁定"));
    setObjectName(QStringLiteral("dialog188"));

    m_user = new QLineEdit(this);
    m_user->setObjectName(QStringLiteral("control165"));
    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("control186"));
    m_password->setEchoMode(QLineEdit::Password);
    m_login = new QPushButton(HostText("登录"), this);
    m_login->setDefault(true);
    connect(m_login, &QPushButton::clicked, this, &CUnlockDialog::onLogin);

    auto *fields = new QFormLayout;
    fields->addRow(HostText("用户名:"), m_user);
    fields->addRow(HostText("口令:"), m_password);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_login);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    m_password->setFocus();
}

void CUnlockDialog::onLogin()
{
    if (m_password->text() == m_storedPassword) {
        accept();
        return;
    }
    const QString text = m_attempts >= 2
        ? HostText("对不起，你已三次输入错误口令！系统将锁定一个小时！")
        : HostText("你第%1次密码输入错误！请重试！").arg(m_attempts + 1);
    if (CProApp *app = CProApp::instance())
        app->ShowMessageBox(text, HostText("口令错误！"), CProApp::MessageIcon::Error);
    reject();
}
