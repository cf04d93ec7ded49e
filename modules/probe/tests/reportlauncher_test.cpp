// The report launch: what is written to the report program's settings, under
// the lock, and how the program is started (a stand-in that records its start).

#include <thread>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "modules/probe/reportlauncher.h"
#include "orb/profile/profilefile.h"
#include "services/types/elementobj.h"

namespace {

using namespace std::chrono_literals;

ElementObj Monitor(const char *id, const char *monitorType, const char *type = "5")
{
    ElementObj element;
    element.set(ElementObj::ID, id);
    element.set(ElementObj::Monitor_Type, monitorType);
    element.set(ElementObj::Type, type);
    return element;
}

class ReportLauncherTest : public ::testing::Test
{
protected:
    ReportLauncherTest() { QDir().mkpath(Root()); }
    // A folder name a shell would split or expand must reach the program whole.
    QString Root() const { return m_base.path() + QStringLiteral("/install dir;$HOME"); }
    std::string Read(const char *key) const
    {
        return ProfileFile(QDir(Root()).filePath("StatView/StatView.ini").toStdString()).readString("StatView", key, "-");
    }
    // A stand-in report program: records its working folder, KEELMON_ROOT_PATH and
    // the settings it found when it started.
    void InstallStandIn() const
    {
        QDir(Root()).mkpath("StatView");
        QFile script(QDir(Root()).filePath("StatView/StatView"));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\n{ pwd; echo \"$KEELMON_ROOT_PATH\"; cat StatView/StatView.ini; } > started.tmp\n"
                     "mv started.tmp started.txt\n");
        script.close();
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    }
    QString Started() const
    {
        QFile record(QDir(Root()).filePath("started.txt"));
        return record.open(QIODevice::ReadOnly) ? QString::fromUtf8(record.readAll()) : QString();
    }

    QTemporaryDir m_base;
    QTemporaryDir m_locks;
    CReportLauncher m_launcher{Root(), m_locks.path(), 200ms};
};

TEST_F(ReportLauncherTest, WritesTheMonitorAndStartsTheProgramDirectly)
{
    InstallStandIn();
    ASSERT_EQ(m_launcher.Launch(Monitor("m-1", "7")), QString());
    for (int i = 0; i < 250 && Started().isEmpty(); ++i)
        std::this_thread::sleep_for(20ms);
    const QStringList lines = Started().split('\n');
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(QFileInfo(lines[0]).canonicalFilePath(), QFileInfo(Root()).canonicalFilePath());
    EXPECT_EQ(lines[1], Root());
    EXPECT_TRUE(Started().contains("ID=m-1")) << Started().toStdString();
    EXPECT_TRUE(Started().contains("MonitorType=7"));
    EXPECT_TRUE(Started().contains("RecvNum=1"));

    // A second monitor replaces the first; a missing settings file was created.
    ASSERT_EQ(m_launcher.WriteSettings("m-2", "12"), QString());
    EXPECT_EQ(Read("ID"), "m-2");
    EXPECT_EQ(Read("MonitorType"), "12");
    EXPECT_EQ(Read("RecvNum"), "1");
}

TEST_F(ReportLauncherTest, RefusesWhatCannotBeReported)
{
    EXPECT_FALSE(m_launcher.Launch(Monitor("d-1", "7", "4")).isEmpty()) << "a device has no report";
    EXPECT_FALSE(QFileInfo::exists(QDir(Root()).filePath("StatView/StatView.ini")));

    EXPECT_FALSE(CReportLauncher(QString(), m_locks.path()).Launch(Monitor("m-1", "7")).isEmpty())
        << "no install root: nothing written or started";

    // The program is missing: the settings are written, the failed start is reported.
    EXPECT_FALSE(m_launcher.Launch(Monitor("m-1", "7")).isEmpty());
    EXPECT_EQ(Read("ID"), "m-1");
}

TEST_F(ReportLauncherTest, WritesOnlyUnderTheLockAndGivesUpAfterTheWait)
{
    NamedLock holder(CReportLauncher::LockName, m_locks.path().toStdString());
    ASSERT_TRUE(holder.lock());
    EXPECT_FALSE(m_launcher.WriteSettings("m-1", "7").isEmpty()) << "the wait is bounded";
    EXPECT_EQ(Read("ID"), "-");

    CReportLauncher patient(Root(), m_locks.path(), 5000ms);
    QString result = QStringLiteral("pending");
    std::thread writer([&] { result = patient.WriteSettings("m-3", "9"); });
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(Read("ID"), "-") << "nothing is written while another program holds the lock";
    holder.unlock();
    writer.join();
    EXPECT_EQ(result, QString());
    EXPECT_EQ(Read("ID"), "m-3");
    EXPECT_EQ(Read("RecvNum"), "1");
}

} // namespace
