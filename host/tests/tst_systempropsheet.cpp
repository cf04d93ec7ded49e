// The system settings sheet: what its pages show, what they refuse, and what
// reaches Keelsys.ini on OK (and nothing on Cancel).

#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include "frame/localtext.h"
#include "host/syspropmainpage.h"
#include "host/syspropnav.h"
#include "host/systempropsheet.h"
#include "testsupport/recordingapp.h"


namespace {

class SettingsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        app.Profile().setPath(QFile::encodeName(path()).toStdString());
        app.setLogin(QStringLiteral("admin"), QStringLiteral("pw"), QStringLiteral("cn"));
    }

    QString path() const { return dir.filePath(QStringLiteral("Keelsys.ini")); }
    void writeFile(const QByteArray &text)
    {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    QByteArray readFile() const
    {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QString sys(const char *key) const { return app.GetProfileString("SYS", QString::fromLatin1(key), "<absent>"); }
    static QString refusal(const QString &text) { return QString::fromUtf8(CProApp::MainTitle) + u'|' + text; }

    QTemporaryDir dir;
    Recording<CProApp> app;
};

} // namespace

TEST_F(SettingsTest, MissingPortShows9000AndOkWritesTheMainPageOnly)
{
    CSystemPropSheet sheet(app);
    CSysPropMainPage *page = sheet.MainPage();
    EXPECT_EQ(page->AddressEdit()->text(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(page->PortEdit()->text(), QStringLiteral("9000"));
    EXPECT_EQ(page->UserEdit()->text(), QString());
    EXPECT_FALSE(sheet.NavPage()->IsCreated());

    sheet.accept();
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_EQ(sys("mainServerIP"), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(sys("mainServerPort"), QStringLiteral("9000"));
    EXPECT_EQ(sys("sysdefaultuser"), QString());
    EXPECT_EQ(sys("nav"), QStringLiteral("<absent>")) << "a page never shown writes nothing";
    EXPECT_TRUE(app.messages.isEmpty());
}

TEST_F(SettingsTest, OkWritesEditedValuesAndKeepsTheRestOfTheFile)
{
    writeFile("; site settings\r\n[SYS]\r\nmainServerIP=10.1.1.1\r\nmainServerPort=8899\r\nnav=1\r\n"
              "production=Keelmon\r\n[NAMES]\r\nnamesCount=0\r\n");
    CSystemPropSheet sheet(app);
    CSysPropMainPage *page = sheet.MainPage();
    EXPECT_EQ(page->AddressEdit()->text(), QStringLiteral("10.1.1.1"));
    EXPECT_EQ(page->PortEdit()->text(), QStringLiteral("8899"));
    page->AddressEdit()->setText(QStringLiteral("127.0.0.1"));
    page->PortEdit()->setText(QStringLiteral("9100"));
    page->UserEdit()->setText(QStringLiteral("操作员"));
    ASSERT_TRUE(sheet.SetActivePage(1));
    EXPECT_TRUE(sheet.NavPage()->GroupIconButton()->isChecked());
    sheet.NavPage()->TreeButton()->click();
    sheet.accept();

    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_EQ(sys("mainServerIP"), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(sys("mainServerPort"), QStringLiteral("9100"));
    EXPECT_EQ(sys("sysdefaultuser"), QStringLiteral("操作员"));
    EXPECT_EQ(sys("nav"), QStringLiteral("2"));
    const QByteArray text = readFile();
    EXPECT_TRUE(text.startsWith("; site settings\r\n[SYS]\r\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("production=Keelmon\r\n"));
    EXPECT_TRUE(text.contains("[NAMES]\r\nnamesCount=0"));
    EXPECT_TRUE(text.contains("sysdefaultuser=\xb2\xd9\xd7\xf7\xd4\xb1")) << "the user name is stored in GBK";
}

TEST_F(SettingsTest, CancelWritesNothing)
{
    writeFile("[SYS]\nmainServerPort=8899\n");
    CSystemPropSheet sheet(app);
    sheet.MainPage()->PortEdit()->setText(QStringLiteral("9001"));
    ASSERT_TRUE(sheet.SetActivePage(1));
    sheet.NavPage()->TreeButton()->click();
    sheet.reject();
    EXPECT_EQ(readFile(), QByteArray("[SYS]\nmainServerPort=8899\n"));

    QFile::remove(path());
    CSystemPropSheet fresh(app);
    fresh.reject();
    EXPECT_FALSE(QFile::exists(path())) << "Cancel must not even create the file";
}

TEST_F(SettingsTest, RefusesBadValuesAndKeepsThePageOpen)
{
    const QString range = refusal(QStringLiteral("请输入 1024 到 9999 之间的整数。"));
    struct Case
    {
        const char *address, *port, *user;
        QString message;
        const char *field;
    } cases[] = {
        {"127.0.0.1", "1023", "", range, "control170"},
        {"127.0.0.1", "10000", "", range, "control170"},
        {"127.0.0.1", "", "", refusal(QStringLiteral("请输入整数。")), "control170"},
        {"127.0.0.1", "9x", "", refusal(QStringLiteral("请输入整数。")), "control170"},
        {"255.255.255.2555", "9000", "", refusal(QStringLiteral("最多只能输入 15 个字节（一个汉字占 2 个字节）。")),
         "control169"},
        {"127.0.0.1", "9000", "abcdefghijklmnopqrstu", refusal(QStringLiteral("最多只能输入 20 个字节（一个汉字占 2 个字节）。")),
         "control171"},
        {"127.0.0.1", "9000", "一二三四五六七八九十一", refusal(QStringLiteral("最多只能输入 20 个字节（一个汉字占 2 个字节）。")),
         "control171"},
        // The limits themselves pass.
        {"255.255.255.255", "1024", "abcdefghijklmnopqrst", {}, nullptr},
        {"127.0.0.1", "9999", "一二三四五六七八九十", {}, nullptr},
    };
    for (const Case &c : cases) {
        app.messages.clear();
        QFile::remove(path());
        CSystemPropSheet sheet(app);
        sheet.show();
        CSysPropMainPage *page = sheet.MainPage();
        page->AddressEdit()->setText(QString::fromUtf8(c.address));
        page->PortEdit()->setText(QString::fromUtf8(c.port));
        page->UserEdit()->setText(QString::fromUtf8(c.user));
        const std::string what = std::string(c.address) + " " + c.port + " " + c.user;
        if (c.message.isEmpty()) {
            EXPECT_TRUE(sheet.SetActivePage(1)) << what;
            sheet.accept();
            EXPECT_EQ(sheet.result(), QDialog::Accepted) << what;
            EXPECT_TRUE(app.messages.isEmpty()) << what;
            continue;
        }
        EXPECT_FALSE(sheet.SetActivePage(1)) << "leaving the page: " << what;
        EXPECT_EQ(sheet.Tabs()->currentIndex(), 0) << what;
        sheet.Tabs()->setCurrentIndex(1);
        EXPECT_EQ(sheet.Tabs()->currentIndex(), 0) << "a tab click is refused too: " << what;
        sheet.accept();
        EXPECT_TRUE(sheet.isVisible()) << what;
        EXPECT_EQ(app.messages, QStringList(3, c.message)) << what;
        EXPECT_EQ(sheet.focusWidget() ? sheet.focusWidget()->objectName() : QString(),
                  QString::fromLatin1(c.field))
            << what;
        EXPECT_FALSE(QFile::exists(path())) << "nothing written: " << what;
    }
}

TEST_F(SettingsTest, NavigationPageFollowsTheFile)
{
    for (const char *nav : {"1", "2", "7"}) {
        writeFile(QByteArray("[SYS]\nnav=") + nav + "\n");
        CSystemPropSheet sheet(app);
        ASSERT_TRUE(sheet.SetActivePage(1));
        EXPECT_EQ(sheet.NavPage()->GroupIconButton()->isChecked(), qstrcmp(nav, "1") == 0) << nav;
        EXPECT_EQ(sheet.NavPage()->TreeButton()->isChecked(), qstrcmp(nav, "1") != 0) << nav;
        sheet.accept();
        EXPECT_EQ(sys("nav"), QString::fromLatin1(nav)) << "unclicked, the kind is written back as read";
    }
    writeFile("[SYS]\nnav=2\n");
    CSystemPropSheet sheet(app);
    ASSERT_TRUE(sheet.SetActivePage(1));
    sheet.NavPage()->GroupIconButton()->click();
    sheet.accept();
    EXPECT_EQ(sys("nav"), QStringLiteral("1"));
}

TEST_F(SettingsTest, LanguageChoosesThePagesAndTheCaption)
{
    writeFile(QByteArray::fromStdString(toLocal(QStringLiteral("[NAMES]\nnamesCount=1\nname0=系统设置\nname0.en=SystemSet\n"))));
    app.LoadNamesTable();
    {
        CSystemPropSheet sheet(app);
        EXPECT_EQ(sheet.windowTitle(), QStringLiteral("系统设置"));
        EXPECT_EQ(sheet.Tabs()->tabText(0), QStringLiteral("基础参数"));
        EXPECT_EQ(sheet.Tabs()->tabText(1), QStringLiteral("导航设置"));
        EXPECT_EQ(sheet.NavPage()->GroupIconButton()->text(), QStringLiteral("分组图标型"));
        EXPECT_EQ(sheet.NavPage()->TreeButton()->text(), QStringLiteral("树状导航型"));
    }
    app.setLogin(QStringLiteral("admin"), QStringLiteral("pw"), QStringLiteral("en"));
    CSystemPropSheet sheet(app);
    EXPECT_EQ(sheet.windowTitle(), QStringLiteral("SystemSet"));
    EXPECT_EQ(sheet.Tabs()->tabText(0), QStringLiteral("SysProp"));
    EXPECT_EQ(sheet.Tabs()->tabText(1), QStringLiteral("navigater set"));
    EXPECT_EQ(sheet.NavPage()->GroupIconButton()->text(), QStringLiteral("group icon"));
    EXPECT_EQ(sheet.NavPage()->TreeButton()->text(), QStringLiteral("tree icon"));
    sheet.MainPage()->PortEdit()->setText(QStringLiteral("80"));
    EXPECT_EQ(sheet.MainPage()->Check(), QStringLiteral("Please enter an integer between 1024 and 9999."));
    sheet.MainPage()->PortEdit()->setText(QStringLiteral("9000"));
    sheet.MainPage()->AddressEdit()->setText(QStringLiteral("255.255.255.2555"));
    EXPECT_EQ(sheet.MainPage()->Check(), QStringLiteral("Please enter no more than 15 bytes (a Chinese character takes 2)."));
}

TEST_F(SettingsTest, TypingStopsAtTheLimits)
{
    CSystemPropSheet sheet(app);
    sheet.show();
    CSysPropMainPage *page = sheet.MainPage();
    page->AddressEdit()->clear();
    QTest::keyClicks(page->AddressEdit(), QStringLiteral("192.168.100.100.1"));
    EXPECT_EQ(page->AddressEdit()->text(), QStringLiteral("192.168.100.100"));
    page->PortEdit()->clear();
    QTest::keyClicks(page->PortEdit(), QStringLiteral("8a8-99"));
    EXPECT_EQ(page->PortEdit()->text(), QStringLiteral("8899"));
}
