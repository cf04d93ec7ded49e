#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <string>

#include <QDir>
#include <QTemporaryDir>

#include "orb/profile/namedlock.h"
#include "report/datachannel.h"
#include "report/reportexchange.h"
#include "report/statsettings.h"
#include "report/tests/reporttestsupport.h"
#include "report/tests/scripteddataserver.h"

namespace {

using namespace std::chrono_literals;
using Outcome = CDataChannel::Outcome;

CDataChannel::Limits FastLimits()
{
    CDataChannel::Limits limits;
    limits.connectTimeout = 1000ms;
    limits.deadline = 1500ms;
    limits.cap = 1024 * 1024;
    return limits;
}

StatSettings Monitor(const char *id = "7f1c2a9e-0000-4000-8000-000000000001", const char *type = "Ping")
{
    StatSettings settings;
    settings.monitorId = id;
    settings.monitorType = type;
    settings.serverAddress = "127.0.0.1";
    return settings;
}

TEST(ReportRequest, FramesFieldsAndRefusesWhatTheFrameCannotCarry)
{
    const QDateTime from(QDate(2026, 1, 2), QTime(3, 4, 5));
    const QDateTime to(QDate(2026, 12, 31), QTime(23, 0, 9));
    QString error;
    const auto query = CReportExchange::BuildRequest(CReportExchange::Kind::Query, Monitor("monit1", "Ping"), from, to, &error);
    ASSERT_TRUE(query);
    // 57 bytes of payload: the length is written with four digits.
    EXPECT_EQ(*query, "DR0057GetReport$monit1$Ping$2026-1-2 3:4:5$2026-12-31 23:0:9$4$");
    const auto remove = CReportExchange::BuildRequest(CReportExchange::Kind::Delete, Monitor("monit1", "Ping"), from, to, &error);
    ASSERT_TRUE(remove);
    EXPECT_EQ(*remove, "DR0060DeleteReport$monit1$Ping$2026-1-2 3:4:5$2026-12-31 23:0:9$4$");

    for (const char *bad : {"m$1", "m\r1", "m\n1"}) {
        error.clear();
        EXPECT_FALSE(CReportExchange::BuildRequest(CReportExchange::Kind::Query, Monitor(bad), from, to, &error)) << bad;
        EXPECT_FALSE(error.isEmpty());
    }
    const std::string longId(1000, 'x');
    EXPECT_FALSE(CReportExchange::BuildRequest(CReportExchange::Kind::Query, Monitor(longId.c_str()), from, to, &error));
}

TEST(DataChannel, JoinsSplitRepliesAndSendsTheWholeRequest)
{
    ScriptedDataServer server;
    const std::string reply = "m1$Ping$2026-1-1 0:0:0$0$ok$0$1$5$\r\nm1$Ping$2026-1-1 0:0:1$1$hi$0$1$6$\r\n</end>";
    server.add({{{reply.substr(0, 10)}, {reply.substr(10, 40), 30ms}, {reply.substr(50, 1), 30ms}, {reply.substr(51), 30ms}}});
    const std::string request = "DR0004abc$";
    const CDataChannel::Result result = CDataChannel::Exchange("127.0.0.1", server.port(), request, FastLimits());
    EXPECT_EQ(result.outcome, Outcome::Complete) << result.error;
    EXPECT_EQ(result.reply, reply);
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0], request);
}

TEST(DataChannel, FailuresAreNeverAComplete)
{
    {
        SCOPED_TRACE("the server closes before \"</end>\"");
        ScriptedDataServer server;
        server.add({{{"m1$Ping$2026-1-1 0:0:0$0$ok$0$0$\r\n"}}});
        const auto result = CDataChannel::Exchange("127.0.0.1", server.port(), "DR0000", FastLimits());
        EXPECT_EQ(result.outcome, Outcome::Incomplete);
        EXPECT_EQ(result.reply, "m1$Ping$2026-1-1 0:0:0$0$ok$0$0$\r\n");
    }
    {
        SCOPED_TRACE("a silent server ends at the deadline");
        ScriptedDataServer server;
        server.add({{{"m1$Ping$"}}, true});
        const auto started = std::chrono::steady_clock::now();
        CDataChannel::Limits limits = FastLimits();
        limits.deadline = 300ms;
        const auto result = CDataChannel::Exchange("127.0.0.1", server.port(), "DR0000", limits);
        const auto took = std::chrono::steady_clock::now() - started;
        EXPECT_EQ(result.outcome, Outcome::TimedOut);
        EXPECT_GE(took, 300ms);
        EXPECT_LT(took, 5s);
    }
    {
        SCOPED_TRACE("a reply past the cap");
        ScriptedDataServer server;
        server.add({{{std::string(5000, 'x') + "</end>"}}});
        CDataChannel::Limits limits = FastLimits();
        limits.cap = 4096;
        const auto result = CDataChannel::Exchange("127.0.0.1", server.port(), "DR0000", limits);
        EXPECT_EQ(result.outcome, Outcome::TooLarge);
    }
    {
        SCOPED_TRACE("nobody listening");
        int port = 0;
        {
            ScriptedDataServer gone;
            port = gone.port();
        }
        const auto result = CDataChannel::Exchange("127.0.0.1", port, "DR0000", FastLimits());
        EXPECT_EQ(result.outcome, Outcome::ConnectFailed);
        EXPECT_NE(result.error.find("127.0.0.1:" + std::to_string(port)), std::string::npos) << result.error;
    }
}

class SettingsTest : public ::testing::Test
{
protected:
    void Write(const QString &relative, const std::string &text) { WriteFile(m_root.path(), relative, text); }
    StatSettings Read() { return StatSettings::Read(m_root.path()); }

    QTemporaryDir m_root;
};

TEST_F(SettingsTest, ReadsTheHandOverAndTheServer)
{
    Write("StatView/StatView.ini", "[StatView]\nID=m-42\nMonitorType=Ping\nRecvNum=1\n");
    Write("Keelsys.ini", "[SYS]\nmainServerIP=127.0.0.1\nDataServerPort=9100\n");
    StatSettings settings = Read();
    EXPECT_TRUE(settings.Usable()) << settings.problem.toStdString();
    EXPECT_EQ(settings.monitorId, "m-42");
    EXPECT_EQ(settings.monitorType, "Ping");
    EXPECT_EQ(settings.serverAddress, "127.0.0.1");
    EXPECT_EQ(settings.port, 9100);

    // Port 0 or none is the data server's usual port.
    for (const char *port : {"DataServerPort=0\n", ""}) {
        Write("Keelsys.ini", std::string("[SYS]\nmainServerIP=127.0.0.1\n") + port);
        settings = Read();
        EXPECT_TRUE(settings.Usable());
        EXPECT_EQ(settings.port, StatSettings::DefaultPort);
    }
}

TEST_F(SettingsTest, SettingsAreReadUnderTheLockOnly)
{
    Write("StatView/StatView.ini", "[StatView]\nID=m-42\nMonitorType=Ping\n");
    Write("Keelsys.ini", "[SYS]\nmainServerIP=127.0.0.1\n");
    NamedLock writer("StatView");
    ASSERT_TRUE(writer.lock(std::chrono::seconds(5))) << writer.error();
    const StatSettings blocked = StatSettings::Read(m_root.path(), std::chrono::milliseconds(100));
    EXPECT_FALSE(blocked.Usable());
    EXPECT_TRUE(blocked.monitorId.isEmpty());
    writer.unlock();
    EXPECT_TRUE(StatSettings::Read(m_root.path(), std::chrono::milliseconds(100)).Usable());
}

TEST_F(SettingsTest, MissingOrBadSettingsAreRefusedWithWhatToDo)
{
    struct Case
    {
        const char *name;
        std::string handOver;
        std::string system;
        const char *mentions;
    };
    const std::string goodHandOver = "[StatView]\nID=m-42\nMonitorType=Ping\n";
    const std::string goodSystem = "[SYS]\nmainServerIP=127.0.0.1\n";
    const Case cases[] = {
        {"no hand-over file", "", goodSystem, "MonitorType"},
        {"monitor left at 0", "[StatView]\nID=0\nMonitorType=Ping\n", goodSystem, "ID"},
        {"no address", goodHandOver, "[SYS]\nmainServerIP=0\n", "mainServerIP"},
        {"port too high", goodHandOver, goodSystem + "DataServerPort=65536\n", "DataServerPort"},
        {"negative port", goodHandOver, goodSystem + "DataServerPort=-1\n", "DataServerPort"},
        {"port not a number", goodHandOver, goodSystem + "DataServerPort=99a\n", "DataServerPort"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QDir(m_root.path()).removeRecursively();
        QDir().mkpath(m_root.path());
        if (!c.handOver.empty())
            Write("StatView/StatView.ini", c.handOver);
        Write("Keelsys.ini", c.system);
        const StatSettings settings = Read();
        EXPECT_FALSE(settings.Usable());
        EXPECT_TRUE(settings.problem.contains(QLatin1String(c.mentions))) << settings.problem.toStdString();
    }
}

} // namespace
