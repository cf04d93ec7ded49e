#pragma once

#include <QDialog>

#include "orb/wire/keelexport.h"

class QLineEdit;
class QPushButton;

// The "解除系统锁定" dialog: one unlock attempt. "登录" compares the password
// with the one the program keeps; a wrong one is told with the attempt number
// and closes the dialog with Cancel, so the lock screen counts it.
class KEEL_EXPORT CUnlockDialog : public QDialog
{
    Q_OBJECT

public:
    CUnlockDialog(int attempts, const QString &storedPassword, QWidget *parent = nullptr);

    QLineEdit *userEdit() const { return m_user; }
    QLineEdit *passwordEdit() const { return m_password; }
    QPushButton *loginButton() const { return m_login; }

    // The "登录" button: OK when the password matches, else the message and Cancel.
    void onLogin();

private:
    QLineEdit *m_user = nullptr;
    QLineEdit *m_password = nullptr;
    QPushButton *m_login = nullptr;
    QString m_storedPassword;
    int m_attempts = 0;
};
