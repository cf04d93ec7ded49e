// The login dialog on its own (what it reads from Keelsys.ini, focus, limits,
// language) and the host's login through it against the reference server.

#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include "frame/localtext.h"
#include "host/hostapp.h"
#include "host/logindialog.h"
#include "orb/profile/profilefile.h"
#include "testsupport/modaloperator.h"
#include "testsupport/recordingapp.h"
#include "testsupport/referenceserver.h"
#include "testsupport/tempfolder.h"


namespace {

class LoginDialogTest : public ::testing::Test
{
protected:
    void write(const char *key, const QString &value) { profile.writeString("SYS", key, toLocal(value)); }

    QTemporaryDir dir;
    ProfileFile profile{QFile::encodeName(dir.filePath(QStringLiteral("Keelsys.ini"))).toStdString()};
    Recording<CProApp> app;
};

} // namespace

TEST_F(LoginDialogTest, FillsFromKeelsysIniAndFocusesThePassword)
{
    write("sysdefaultuser", QStringLiteral("张三"));
    write("production", QStringLiteral("Keelmon 2.0,网络运维平台,,Velmora"));
    CLoginDialog dialog(profile);
    EXPECT_EQ(dialog.userEdit()->text(), QStringLiteral("张三"));
    EXPECT_EQ(dialog.passwordEdit()->text(), QString());
    EXPECT_EQ(dialog.productText()->toPlainText(), QStringLiteral("Keelmon 2.0\n网络运维平台\n\nVelmora"));
    EXPECT_TRUE(dialog.productText()->isReadOnly());
    EXPECT_TRUE(dialog.chineseButton()->isChecked());
    EXPECT_FALSE(dialog.englishButton()->isChecked());
    EXPECT_EQ(dialog.language(), QStringLiteral("cn"));
    EXPECT_EQ(dialog.passwordEdit()->echoMode(), QLineEdit::Password);

    dialog.show();
    dialog.activateWindow();
    QApplication::processEvents();
    EXPECT_EQ(dialog.focusWidget(), dialog.passwordEdit()) << "a known user name puts the focus on the password";
    dialog.productText()->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(dialog.focusWidget(), dialog.passwordEdit()) << "the product text passes the focus on";

    dialog.englishButton()->click();
    EXPECT_EQ(dialog.language(), QStringLiteral("en"));
    dialog.chineseButton()->click();
    EXPECT_EQ(dialog.language(), QStringLiteral("cn"));
}

TEST_F(LoginDialogTest, EmptyFileGivesEmptyFieldsAndFocusOnTheUser)
{
    CLoginDialog dialog(profile);
    EXPECT_EQ(dialog.userEdit()->text(), QString());
    EXPECT_EQ(dialog.productText()->toPlainText(), QString());
    dialog.show();
    dialog.activateWindow();
    QApplication::processEvents();
    EXPECT_EQ(dialog.focusWidget(), dialog.userEdit());
}

TEST_F(LoginDialogTest, NamesAndPasswordsStopAtFortyBytes)
{
    CLoginDialog dialog(profile);
    dialog.show();
    QTest::keyClicks(dialog.userEdit(), QString(45, QLatin1Char('u')));
    EXPECT_EQ(dialog.userEdit()->text(), QString(40, QLatin1Char('u')));
    QTest::keyClicks(dialog.passwordEdit(), QString(45, QLatin1Char('p')));
    EXPECT_EQ(dialog.passwordEdit()->text(), QString(40, QLatin1Char('p')));
    // Two bytes a character in the code page: twenty Chinese characters fill the field.
    dialog.userEdit()->clear();
    for (int i = 0; i < 25; ++i)
        QTest::sendKeyEvent(QTest::Click, dialog.userEdit(), Qt::Key_unknown, QString(QChar(0x7528)), Qt::NoModifier);
    EXPECT_EQ(dialog.userEdit()->text(), QString(20, QChar(0x7528)));
    EXPECT_TRUE(app.messages.isEmpty());

    dialog.okButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.userName(), QString(20, QChar(0x7528)));
    EXPECT_EQ(dialog.password(), QString(40, QLatin1Char('p')));
}

TEST_F(LoginDialogTest, OverlongNameFromTheFileIsRefusedOnOk)
{
    write("sysdefaultuser", QString(41, QLatin1Char('x')));
    CLoginDialog dialog(profile);
    EXPECT_EQ(dialog.userEdit()->text(), QString(41, QLatin1Char('x'))) << "the file's value is shown as it is";
    dialog.show();
    dialog.okButton()->click();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(app.messages, QStringList{QString::fromUtf8(CProApp::MainTitle)
                                        + QStringLiteral("|最多只能输入 40 个字节（一个汉字占 2 个字节）。")});
}

// The host's login hook, answered through the real dialog, against the
// reference server.
class HostLoginTest : public ::testing::Test
{
protected:
    class App : public Recording<CHostApp>
    {
    public:
        bool initClient() { return InitServiceSystem(); }
    };

    void SetUp() override
    {
        ASSERT_TRUE(server.start()) << server.error();
        WriteKeelsysIni(QStringLiteral("[SYS]\nmainServerIP=127.0.0.1\nmainServerPort=%1\ndomainPort=%1\n"
                                       "sysdefaultuser=admin\nproduction=Keelmon 2.0,demo\n")
                            .arg(server.port()));
        app.Profile().setPath(QFile::encodeName(app.ConfigurationPath()).toStdString());
        ASSERT_TRUE(app.initClient());
    }

    // Logs in with the dialog answered by typing password and picking the language.
    bool login(const QString &password, bool english, bool cancel = false)
    {
        ModalOperator hand([&](QWidget *modal) {
            auto *dialog = qobject_cast<CLoginDialog *>(modal);
            if (!dialog)
                return;
            shownUser = dialog->userEdit()->text();
            focusOnPassword = dialog->focusWidget() == dialog->passwordEdit();
            if (cancel) {
                dialog->reject();
                return;
            }
            QTest::keyClicks(dialog->passwordEdit(), password);
            (english ? dialog->englishButton() : dialog->chineseButton())->click();
            dialog->okButton()->click();
        });
        return app.Login(user, typed, language);
    }

    WorkingDirectory cwd;
    ReferenceServer server;
    App app;
    QString user, typed, language, shownUser;
    bool focusOnPassword = false;
};

TEST_F(HostLoginTest, RightPasswordLogsInAndRemembersTheUser)
{
    ASSERT_TRUE(login(QString::fromLatin1(ReferenceServer::AdminPassword), true));
    EXPECT_EQ(shownUser, QStringLiteral("admin"));
    EXPECT_TRUE(focusOnPassword);
    EXPECT_EQ(user, QStringLiteral("admin"));
    EXPECT_EQ(typed, QString::fromLatin1(ReferenceServer::AdminPassword));
    EXPECT_EQ(language, QStringLiteral("en"));
    EXPECT_STREQ(app.GetSession().getUserName(), "admin");
    EXPECT_TRUE(app.messages.isEmpty()) << app.messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(ReadKeelsysIni().contains(QStringLiteral("sysdefaultuser=admin")));
}

TEST_F(HostLoginTest, RefusalShowsTheServersMessageAndWritesNothing)
{
    WriteKeelsysIni(ReadKeelsysIni().replace(QStringLiteral("sysdefaultuser=admin"),
                                             QStringLiteral("sysdefaultuser=")));
    const QString before = ReadKeelsysIni();
    ModalOperator hand([&](QWidget *modal) {
        if (auto *dialog = qobject_cast<CLoginDialog *>(modal)) {
            dialog->userEdit()->setText(QStringLiteral("admin"));
            dialog->passwordEdit()->setText(QStringLiteral("not the password"));
            dialog->okButton()->click();
        }
    });
    EXPECT_FALSE(app.Login(user, typed, language));
    ASSERT_EQ(app.messages.size(), 1);
    const QString message = app.messages.first().section(QLatin1Char('|'), 1);
    EXPECT_EQ(app.messages.first().section(QLatin1Char('|'), 0, 0), QString::fromUtf8(CProApp::MainTitle));
    EXPECT_FALSE(message.isEmpty());
    EXPECT_NE(message, QStringLiteral("SUCCEED"));
    EXPECT_EQ(app.icons.value(0), CProApp::MessageIcon::Error);
    EXPECT_EQ(ReadKeelsysIni(), before) << "a refused login must not remember the user";
}

TEST_F(HostLoginTest, CancelEndsWithoutRequest)
{
    EXPECT_FALSE(login(QString(), false, true));
    EXPECT_TRUE(app.messages.isEmpty());
}
