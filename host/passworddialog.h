#pragma once

#include <QDialog>

#include "orb/wire/keelexport.h"

class QLineEdit;

// The "修改登录密码" dialog: the old password, the new one and its
// confirmation. OK checks them in a fixed order and stays open on the first
// failing check; the caller then stores the new password.
class KEEL_EXPORT CPasswordDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int MaxLength = 20;

    CPasswordDialog(const QString &storedPassword, const QString &userName, QWidget *parent = nullptr);

    QLineEdit *oldEdit() const { return m_old; }
    QLineEdit *newEdit() const { return m_new; }
    QLineEdit *confirmEdit() const { return m_confirm; }
    QString newPassword() const;
    QString userName() const { return m_userName; }

    // The refusal of the first failing check, or an empty text when all pass.
    QString check() const;
    // OK: shows the refusal and stays open, or closes with OK.
    void accept() override;

private:
    QLineEdit *m_old = nullptr;
    QLineEdit *m_new = nullptr;
    QLineEdit *m_confirm = nullptr;
    QString m_storedPassword;
    QString m_userName;
};
