// The keyboard reaches what the mouse reaches (navigation entries, the login
// dialog's fields in order, closing a document), and each language shows its
// own texts, Qt's standard buttons included.

#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "frame/outlookbar.h"
#include "host/logindialog.h"
#include "host/passworddialog.h"
#include "host/tests/testmodulepath.h"
#include "testsupport/tempfolder.h"
#include "testsupport/testhostapp.h"

namespace {

class KeyboardTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { EnsureApplication(); }

    bool Start(const QString &nav, const QString &language = QStringLiteral("cn"))
    {
        WriteKeelsysIni(QStringLiteral("[SYS]\nnav=%1\nnavtype=0\n[SYSTEMMODULE]\nmoduleCount=1\n"
                                       "module0.name=Alpha\nmodule0.group=G\nmodule0.DLLname=%2\n")
                            .arg(nav, TestModulePath(QStringLiteral("TestModuleAlpha"))));
        m_app.offline = true;
        m_app.offlineLanguage = language;
        if (!m_app.InitInstance())
            return false;
        m_app.GetMainFrame()->activateWindow();
        return QTest::qWaitForWindowActive(m_app.GetMainFrame());
    }
    QMdiArea *Area() const { return m_app.GetMainFrame()->MdiArea(); }

    WorkingDirectory m_dir;
    TestHostApp m_app;
};

} // namespace

TEST_F(KeyboardTest, EnterOpensTheGroupIconEntryAndCtrlF4ClosesTheDocument)
{
    ASSERT_TRUE(Start(QStringLiteral("1")));
    auto *bar = m_app.GetMainFrame()->findChild<COutlookBar *>();
    ASSERT_NE(bar, nullptr);
    QListWidget *list = bar->FolderList(0);
    ASSERT_NE(list, nullptr);
    list->setFocus();
    list->setCurrentRow(0);
    QTest::keyClick(list, Qt::Key_Return);
    ASSERT_EQ(Area()->subWindowList().size(), 1) << "Enter opens the entry";

    // From inside the document and from the navigation bar.
    QWidget *inside = Area()->activeSubWindow()->widget();
    ASSERT_NE(inside, nullptr);
    inside->setFocus();
    QTest::keyClick(inside, Qt::Key_F4, Qt::ControlModifier);
    EXPECT_TRUE(Area()->subWindowList().isEmpty()) << "Ctrl+F4 closes the active document";
    QTest::keyClick(list, Qt::Key_Return);
    ASSERT_EQ(Area()->subWindowList().size(), 1);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_F4, Qt::ControlModifier);
    EXPECT_TRUE(Area()->subWindowList().isEmpty()) << "Ctrl+F4 with the focus on the navigation bar";
}

TEST_F(KeyboardTest, SpaceOpensTheTreeEntry)
{
    ASSERT_TRUE(Start(QStringLiteral("0")));
    auto *tree = m_app.GetMainFrame()->findChild<QTreeWidget *>(QStringLiteral("157"));
    ASSERT_NE(tree, nullptr);
    tree->setFocus();
    tree->setCurrentItem(tree->topLevelItem(0)->child(0));
    QTest::keyClick(tree, Qt::Key_Space);
    EXPECT_EQ(Area()->subWindowList().size(), 1);
}

TEST_F(KeyboardTest, EachLanguageShowsItsOwnTexts)
{
    ASSERT_TRUE(Start(QStringLiteral("1"), QStringLiteral("en")));
    // The English version: the host's own windows in English, Qt's buttons too.
    CPasswordDialog english(QStringLiteral("p"), QStringLiteral("u"));
    EXPECT_EQ(english.windowTitle(), QStringLiteral("Change Login Password"));
    m_app.GetMainFrame()->ServerTick();
    EXPECT_TRUE(m_app.GetMainFrame()->ServerPane()->text().startsWith(QStringLiteral("Server IP: ")));
    {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("c"), QStringLiteral("t"),
                        QMessageBox::Ok | QMessageBox::Cancel);
        EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Cancel"));
    }
    // The Chinese version: Qt's standard buttons read 确定/取消.
    ASSERT_TRUE(m_app.UseLanguage(QStringLiteral("cn"))) << "install qt6-translations-l10n";
    QMessageBox box(QMessageBox::Warning, QStringLiteral("c"), QStringLiteral("t"),
                    QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QStringLiteral("取消"));
    m_app.UseLanguage(QStringLiteral("en"));
    QMessageBox again(QMessageBox::Warning, QStringLiteral("c"), QStringLiteral("t"), QMessageBox::Cancel);
    EXPECT_EQ(again.button(QMessageBox::Cancel)->text(), QStringLiteral("Cancel")) << "one language at a time";
}

TEST(LoginDialogKeys, TabRunsUserPasswordLanguageOkCancel)
{
    EnsureApplication();
    QTemporaryDir dir;
    ProfileFile profile{QFile::encodeName(dir.filePath(QStringLiteral("Keelsys.ini"))).toStdString()};
    CLoginDialog dialog(profile);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    dialog.userEdit()->setFocus();
    QList<QWidget *> visited = {QApplication::focusWidget()};
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.append(QApplication::focusWidget());
    }
    auto *cancel = dialog.findChildren<QPushButton *>().value(1);
    ASSERT_EQ(visited.size(), 5);
    EXPECT_EQ(visited[0], dialog.userEdit());
    EXPECT_EQ(visited[1], dialog.passwordEdit());
    EXPECT_EQ(visited[2], dialog.chineseButton()) << "the checked language";
    EXPECT_EQ(visited[3], dialog.okButton());
    EXPECT_EQ(visited[4], cancel);
    EXPECT_NE(cancel, dialog.okButton());
}
