#include "modules/access/userdialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

#include "frame/localtext.h"
#include "frame/localtextvalidator.h"
#include "frame/proapp.h"
#include "modules/access/securityviews.h"
#include "services/types/passwordscrambler.h"

CUserDialog::CUserDialog(Mode mode, const QStringList &roles, const QString &departmentName,
                         std::function<bool(const std::string &)> repeatCheck, QWidget *parent)
    : QDialog(parent), m_mode(mode), m_repeatCheck(std::move(repeatCheck)), m_name(new QLineEdit(this)),
      m_login(new QLineEdit(this)), m_role(new QComboBox(this)), m_password(new QLineEdit(this)),
      m_department(new QLabel(departmentName, this))
{
    setObjectName(QStringLiteral("dialog7001"));
    setWindowTitle(mode == Mode::Add ? QStringLiteral("新增用户") : QStringLiteral("修改用户"));
    m_name->setMaxLength(NameChars);
    CLocalTextValidator::limit(m_name, NameBytes);
    m_login->setMaxLength(LoginChars);
    m_password->setMaxLength(PasswordChars);
    CLocalTextValidator::limit(m_password, int(passwordscrambler::MaxPasswordBytes));
    m_password->setEchoMode(QLineEdit::Password);
    m_role->addItems(roles);

    auto *fields = new QFormLayout;
    fields->addRow(QStringLiteral("人员姓名"), m_name);
    fields->addRow(QStringLiteral("用户登录名"), m_login);
    fields->addRow(QStringLiteral("所属角色"), m_role);
    fields->addRow(QStringLiteral("密码"), m_password);
    fields->addRow(QStringLiteral("部门"), m_department);
    securityviews::LayOutDialog(this, fields);
}

void CUserDialog::SetUser(const UserObj &user)
{
    m_name->setText(fromLocal(user.get(UserObj::AllName)));
    m_openedLogin = fromLocal(user.get(UserObj::LoginName));
    m_login->setText(m_openedLogin);
    const QString role = fromLocal(user.get(UserObj::RoleName));
    int found = m_role->findText(role, Qt::MatchExactly);
    if (found < 0 && !role.isEmpty()) {
        m_role->addItem(role);
        found = m_role->count() - 1;
    }
    m_role->setCurrentIndex(found);
    std::string restored;
    // A key too short to restore leaves the field empty: a new password must be given.
    if (passwordscrambler::apply(user.get(UserObj::Password), user.get(UserObj::EncryptCode), restored))
        m_password->setText(fromLocal(restored));
    m_user = user;
}

void CUserDialog::Say(const QString &text) const
{
    if (CProApp *app = CProApp::instance())
        app->ShowMessage(text);
}

bool CUserDialog::Check()
{
    const QString login = m_login->text().trimmed();
    if (login.isEmpty()) {
        Say(QStringLiteral("用户名不能为空"));
        return false;
    }
    const std::string loginLocal = toLocal(login);
    for (char c : loginLocal)
        if (static_cast<unsigned char>(c) >= 0x80) {
            Say(QStringLiteral("用户名不能包含汉字"));
            return false;
        }
    const QString name = m_name->text().trimmed();
    if (name.isEmpty()) {
        Say(QStringLiteral("姓名不能为空"));
        return false;
    }
    if (!CLocalTextValidator::fits(name, NameBytes)) {
        Say(QStringLiteral("人员姓名: ") + CLocalTextValidator::tooLongMessage(NameBytes));
        return false;
    }
    const QString password = m_password->text().trimmed();
    if (password.isEmpty()) {
        Say(QStringLiteral("密码不能为空"));
        return false;
    }
    const std::string passwordLocal = toLocal(password);
    if (password.size() > PasswordChars || passwordLocal.size() > passwordscrambler::MaxPasswordBytes) {
        Say(QStringLiteral("密码: ") + CLocalTextValidator::tooLongMessage(int(passwordscrambler::MaxPasswordBytes)));
        return false;
    }
    std::string key, scrambled;
    passwordscrambler::scramble(passwordLocal, key, scrambled);
    if ((m_mode == Mode::Add || login != m_openedLogin) && !m_repeatCheck(loginLocal))
        return false;
    m_user.set(UserObj::LoginName, loginLocal);
    m_user.set(UserObj::AllName, toLocal(name));
    m_user.set(UserObj::Password, scrambled);
    m_user.set(UserObj::EncryptCode, key);
    m_user.setTruncated(UserObj::RoleName, toLocal(m_role->currentText()));
    return true;
}

void CUserDialog::accept()
{
    if (Check())
        QDialog::accept();
}
