// The password change: its three checks in order, the stored password it
// replaces, and that the unlock dialog then wants the new one.

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "frame/lockeddialog.h"
#include "frame/lockscreen.h"
#include "frame/unlockdialog.h"
#include "host/hostapp.h"
#include "host/passworddialog.h"
#include "testsupport/modaloperator.h"
#include "testsupport/recordingapp.h"


namespace {

const QString Empty = QStringLiteral("错误！|不允许空密码");
const QString Mismatch = QStringLiteral("错误！|新密码与验证密码不符，请重新输入！");
const QString WrongOld = QStringLiteral("错误！|旧密码不正确，请重新输入！");

void fill(CPasswordDialog &dialog, const QString &oldText, const QString &newText, const QString &confirm)
{
    dialog.oldEdit()->setText(oldText);
    dialog.newEdit()->setText(newText);
    dialog.confirmEdit()->setText(confirm);
}

} // namespace

TEST(PasswordDialog, ChecksInOrderAndStaysOpenOnEachFailure)
{
    Recording<CProApp> app;
    struct Case
    {
        const char *oldText, *newText, *confirm;
        QString message;
    } cases[] = {
        // Every check fails here: the first one speaks.
        {"bad", "", "x", Empty},
        {"stored", "", "", Empty},
        // Confirmation and old password both wrong: the confirmation comes first.
        {"bad", "n1", "n2", Mismatch},
        {"stored", "n1", "N1", Mismatch},
        {"bad", "n1", "n1", WrongOld},
        {"Stored", "n1", "n1", WrongOld},
        {"", "n1", "n1", WrongOld},
    };
    for (const Case &c : cases) {
        app.messages.clear();
        app.icons.clear();
        CPasswordDialog dialog(QStringLiteral("stored"), QStringLiteral("admin"));
        dialog.show();
        fill(dialog, QString::fromUtf8(c.oldText), QString::fromUtf8(c.newText), QString::fromUtf8(c.confirm));
        EXPECT_EQ(dialog.check(), c.message.section(QLatin1Char('|'), 1));
        dialog.accept();
        EXPECT_TRUE(dialog.isVisible()) << c.oldText << "/" << c.newText << "/" << c.confirm;
        EXPECT_EQ(app.messages, QStringList{c.message});
        EXPECT_EQ(app.icons.value(0), CProApp::MessageIcon::Error);
    }

    app.messages.clear();
    CPasswordDialog dialog(QStringLiteral("stored"), QStringLiteral("admin"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("修改登录密码"));
    fill(dialog, QStringLiteral("stored"), QStringLiteral("新的"), QStringLiteral("新的"));
    EXPECT_EQ(dialog.check(), QString());
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.newPassword(), QStringLiteral("新的"));
    EXPECT_TRUE(app.messages.isEmpty());
}

TEST(PasswordDialog, FieldsTakeTwentyBytes)
{
    Recording<CProApp> app;
    CPasswordDialog dialog{QString(), QString()};
    dialog.show();
    for (QLineEdit *edit : {dialog.oldEdit(), dialog.newEdit(), dialog.confirmEdit()}) {
        EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
        QTest::keyClicks(edit, QString(25, QLatin1Char('k')));
        EXPECT_EQ(edit->text(), QString(20, QLatin1Char('k')));
    }
}

// Through the host's hook and the lock screen the main frame shows.
TEST(PasswordDialog, ChangedPasswordIsTheOneThatUnlocks)
{
    Recording<CHostApp> app;
    app.setLogin(QStringLiteral("admin"), QStringLiteral("old"), QStringLiteral("cn"));
    {
        int shown = 0;
        ModalOperator hand([&](QWidget *modal) {
            if (auto *dialog = qobject_cast<CPasswordDialog *>(modal)) {
                if (shown++ == 0) {
                    dialog->reject();
                    return;
                }
                fill(*dialog, QStringLiteral("old"), QStringLiteral("new"), QStringLiteral("new"));
                dialog->accept();
            }
        });
        EXPECT_FALSE(app.ChangePassword()) << "cancelled";
        EXPECT_EQ(app.GetPassword(), QStringLiteral("old"));
        EXPECT_TRUE(app.OnCommand(33333)) << "the command runs the same dialog";
        EXPECT_EQ(app.GetPassword(), QStringLiteral("new"));
        EXPECT_EQ(shown, 2);
        EXPECT_EQ(app.messages.value(0),
                  QStringLiteral("服务器不支持修改密码：新密码只用于解锁本客户端，登录仍使用原密码。"))
            << "without a security service the change is only the local one";
        app.messages.clear();
    }

    CLockScreen screen(QRect(0, 0, 640, 480), app.GetUserName(), app.GetPassword());
    QStringList typed = {QStringLiteral("old"), QStringLiteral("new")};
    screen.setDialogRunner([&](QDialog &dialog) {
        if (auto *unlock = qobject_cast<CUnlockDialog *>(&dialog)) {
            if (typed.isEmpty())
                return -1;
            unlock->passwordEdit()->setText(typed.takeFirst());
            unlock->loginButton()->click();
        } else {
            dialog.accept();
        }
        return dialog.result();
    });
    screen.runUnlockLoop();
    EXPECT_EQ(screen.result(), QDialog::Accepted);
    EXPECT_TRUE(typed.isEmpty());
    EXPECT_EQ(app.messages, QStringList{QStringLiteral("口令错误！|你第1次密码输入错误！请重试！")})
        << "the old password no longer unlocks";
}
