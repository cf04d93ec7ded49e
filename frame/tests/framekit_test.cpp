// The small shared pieces of the frame library: byte-limited text fields,
// new identifiers and the install root.

#include <QDir>
#include <QLineEdit>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "frame/identifiers.h"
#include "frame/installroot.h"
#include "frame/localtextvalidator.h"
#include "testsupport/recordingapp.h"
#include "orb/profile/profilefile.h"

namespace {

TEST(LocalTextValidator, CountsCodePageBytesNotCharacters)
{
    // Two Chinese characters are four bytes in GBK.
    EXPECT_TRUE(CLocalTextValidator::fits(QStringLiteral("检测"), 4));
    EXPECT_FALSE(CLocalTextValidator::fits(QStringLiteral("检测"), 3));
    EXPECT_TRUE(CLocalTextValidator::fits(QString(63, QLatin1Char('x')), 63));
    EXPECT_FALSE(CLocalTextValidator::fits(QString(64, QLatin1Char('x')), 63));

    QLineEdit edit;
    CLocalTextValidator::limit(&edit, 4);
    QString typed = QStringLiteral("检测a");
    int position = 0;
    EXPECT_EQ(edit.validator()->validate(typed, position), QValidator::Invalid);
    typed = QStringLiteral("ab检");
    EXPECT_EQ(edit.validator()->validate(typed, position), QValidator::Acceptable);
}

TEST(Identifiers, AreDistinctBracelessUuids)
{
    QSet<QString> seen;
    for (int i = 0; i < 1000; ++i) {
        const QString id = Identifiers::NewId();
        ASSERT_EQ(id.size(), 36) << id.toStdString();
        EXPECT_FALSE(id.contains(QLatin1Char('{')) || id.contains(QLatin1Char('}')));
        EXPECT_TRUE(Identifiers::IsId(id));
        seen.insert(id);
    }
    EXPECT_EQ(seen.size(), 1000);
    EXPECT_FALSE(Identifiers::IsId(QStringLiteral("-1")));
    EXPECT_FALSE(Identifiers::IsId(QStringLiteral("{") + Identifiers::NewId().left(35)));
}

class InstallRootTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        qunsetenv(InstallRoot::EnvironmentVariable);
        m_profile.setPath(m_dir.filePath(QStringLiteral("Keelsys.ini")).toStdString());
    }
    void TearDown() override { qunsetenv(InstallRoot::EnvironmentVariable); }

    QTemporaryDir m_dir;
    ProfileFile m_profile;
};

TEST_F(InstallRootTest, KeyThenEnvironmentOverride)
{
    ASSERT_TRUE(m_profile.writeString("SYS", "RootPath", "/opt/keelmon/"));
    EXPECT_EQ(InstallRoot::FromProfile(m_profile), QStringLiteral("/opt/keelmon"));

    qputenv(InstallRoot::EnvironmentVariable, "C:\\Keelmon\\");
    EXPECT_EQ(InstallRoot::FromProfile(m_profile), QStringLiteral("C:/Keelmon"));
}

TEST_F(InstallRootTest, EmptyOrBlankFallsBackToWorkingDirectoryNeverRoot)
{
    EXPECT_EQ(InstallRoot::FromProfile(m_profile), QDir::currentPath());
    ASSERT_TRUE(m_profile.writeString("SYS", "RootPath", "   "));
    qputenv(InstallRoot::EnvironmentVariable, "  ");
    EXPECT_EQ(InstallRoot::FromProfile(m_profile), QDir::currentPath());
    EXPECT_NE(InstallRoot::FromProfile(m_profile), QStringLiteral("/"));
}

TEST_F(InstallRootTest, FilePathJoinsBackslashPathsUnderTheRoot)
{
    qputenv(InstallRoot::EnvironmentVariable, m_dir.path().toUtf8());
    EXPECT_EQ(InstallRoot::FilePath(QStringLiteral("\\config\\Entity.xml")), m_dir.path() + QStringLiteral("/config/Entity.xml"));
    EXPECT_EQ(InstallRoot::FilePath(QStringLiteral("MTree.ini")), m_dir.path() + QStringLiteral("/MTree.ini"));
}

} // namespace
