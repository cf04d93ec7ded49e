#pragma once

#include <functional>
#include <string>

#include <QDialog>

#include "services/types/userobj.h"

class QComboBox;
class QLabel;
class QLineEdit;

// The user dialog (7001): "新增用户" or "修改用户". OK runs the checks in
// order, each failing one showing its message and leaving the dialog open;
// the login-name check against the server is the caller's (repeatCheck).
class CUserDialog : public QDialog
{
    Q_OBJECT

public:
    enum class Mode { Add, Edit };
    // Field limits: what the dialog allows, within the wire fields' bytes.
    static constexpr int NameChars = 128, NameBytes = 63;
    static constexpr int LoginChars = 20;
    static constexpr int PasswordChars = 20;

    // repeatCheck: true when the login name is free (it shows its own message).
    CUserDialog(Mode mode, const QStringList &roles, const QString &departmentName,
                std::function<bool(const std::string &login)> repeatCheck, QWidget *parent = nullptr);

    // Edit mode: fills the fields from user; the stored password is shown
    // restored (masked). A role that no longer exists is kept in the list.
    void SetUser(const UserObj &user);

    QLineEdit *NameEdit() const { return m_name; }
    QLineEdit *LoginEdit() const { return m_login; }
    QLineEdit *PasswordEdit() const { return m_password; }
    QComboBox *RoleBox() const { return m_role; }
    QLabel *DepartmentLabel() const { return m_department; }

    // The checks of OK; true when the dialog may close. Draws the key and
    // scrambles the password on the way.
    bool Check();
    void accept() override;

    // The record the dialog made (department left to the caller).
    const UserObj &User() const { return m_user; }

private:
    void Say(const QString &text) const;

    Mode m_mode;
    std::function<bool(const std::string &)> m_repeatCheck;
    QString m_openedLogin;
    QLineEdit *m_name;
    QLineEdit *m_login;
    QComboBox *m_role;
    QLineEdit *m_password;
    QLabel *m_department;
    UserObj m_user;
};
