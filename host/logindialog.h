#pragma once

#include <QDialog>

#include "orb/wire/keelexport.h"

class ProfileFile;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

// The login dialog: user name, password and the interface language, with the
// product text of Keelsys.ini. It fills itself from "SYS"/"sysdefaultuser"
// and "SYS"/"production" and hands out what was entered when closed with OK.
class KEEL_EXPORT CLoginDialog : public QDialog
{
    Q_OBJECT

public:
    // Longest user name and password, in bytes of the code page, so that
    // both always fit the 64-byte text fields of the login request.
    static constexpr int MaxLength = 40;

    explicit CLoginDialog(const ProfileFile &profile, QWidget *parent = nullptr);

    QString userName() const;
    QString password() const;
    // "cn" when "中文版" is checked, "en" when "English version" is.
    QString language() const;

    QLineEdit *userEdit() const { return m_user; }
    QLineEdit *passwordEdit() const { return m_password; }
    QRadioButton *chineseButton() const { return m_chinese; }
    QRadioButton *englishButton() const { return m_english; }
    QPlainTextEdit *productText() const { return m_product; }
    QPushButton *okButton() const { return m_ok; }

    // The product text as shown: every "," of the value becomes a line break.
    static QString productLines(const QString &production);

    // OK: refuses a user name or password longer than MaxLength, else closes.
    void accept() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *m_user = nullptr;
    QLineEdit *m_password = nullptr;
    QRadioButton *m_chinese = nullptr;
    QRadioButton *m_english = nullptr;
    QPlainTextEdit *m_product = nullptr;
    QPushButton *m_ok = nullptr;
};
