#include <ctime>

#include "orb/textframe/textframe.h"
#include "server/core/handlers/historyreport.h"
#include "server/core/historyretention.h"
#include "server/core/schema.h"
#include "server/core/timetext.h"
#include "server/storage/storage.h"
#include "testsupport/loopback.h"
#include "testsupport/servertest.h"
#include "services/types/monitorobj.h"
#include "services/types/syslogobj.h"

namespace {

class DataChannelTest : public ServerTest
{
protected:
    ServerOptions options() const override
    {
        ServerOptions options = ServerTest::options();
        options.dataPort = 0;
        return options;
    }

    std::string request(const std::vector<std::string> &fields)
    {
        return exchangeOnLoopback(m_server->dataPort(), *textframe::build("DR", fields));
    }

    static HistoryRow row(const std::string &monitor, std::int64_t time, int state, std::string remark,
                          std::vector<std::string> values)
    {
        return HistoryRow{monitor, "2", time, state, std::move(remark), std::move(values)};
    }

    const std::int64_t m_base = 1796700000;
};

TEST_F(DataChannelTest, GetReportAnswersOneMonitorsRowsInTimeOrder)
{
    ASSERT_GT(m_server->dataPort(), 0);
    const std::vector<HistoryRow> rows = {
        row("m1", m_base + 60, 1, "CpuUsage=80", {"80"}),
        row("m1", m_base, 0, "a$b\r\nc", {"1$2", "x\ny"}),
        row("m2", m_base + 30, 2, "other monitor", {"9"}),
        row("m1", m_base + 7200, 0, "outside the range", {"5"}),
    };
    m_server->storage().appendHistory(rows);
    const std::string reply = request({"GetReport", "m1", "2", timetext::format(m_base),
                                       timetext::format(m_base + 3600), "4"});
    const std::string expected = "m1$2$" + timetext::format(m_base) + "$0$abc$" + std::to_string(m_base) + "$2$12$xy$\r\n"
                                 + "m1$2$" + timetext::format(m_base + 60) + "$1$CpuUsage=80$"
                                 + std::to_string(m_base + 60) + "$1$80$\r\n</end>";
    EXPECT_EQ(reply, expected);

    EXPECT_EQ(request({"GetReport", "nobody", "2", timetext::format(m_base), timetext::format(m_base + 3600), "4"}),
              "</end>");
}

TEST_F(DataChannelTest, DeleteReportRemovesTheRangeAndLogsIt)
{
    m_server->storage().appendHistory(std::vector<HistoryRow>{
        row("m1", m_base, 0, "", {}), row("m1", m_base + 10, 0, "", {}), row("m1", m_base + 7200, 0, "", {})});
    EXPECT_EQ(request({"DeleteReport", "m1", "2", timetext::format(m_base), timetext::format(m_base + 3600), "4"}),
              historyreport::Succeeded);
    const auto left = m_server->storage().selectHistory("m1", 0, m_base * 2, 100);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].time, m_base + 7200);
    const auto log = m_server->storage().select(schema::sysLogs, Filter::all());
    int deletions = 0;
    for (const auto &entry : log)
        deletions += entry->get(SysLogObj::Title) == local("删除检测记录");
    EXPECT_EQ(deletions, 1);
}

TEST_F(DataChannelTest, BadFramesAndRequestsAreRefusedWithAnError)
{
    const int port = m_server->dataPort();
    const auto refused = [](const std::string &reply) {
        return reply.rfind("<error>", 0) == 0 && reply.ends_with("</end>");
    };
    // Refused on its header, before 2000 bytes are waited for.
    EXPECT_TRUE(refused(exchangeOnLoopback(port, "DR2000GetReport$", 3000)));
    EXPECT_TRUE(refused(exchangeOnLoopback(port, "XY0002a$")));
    EXPECT_TRUE(refused(exchangeOnLoopback(port, "DRabcd")));
    EXPECT_TRUE(refused(request({"ListReports", "m1", "2", "2026-1-1 0:0:0", "2026-1-2 0:0:0", "4"})));
    EXPECT_TRUE(refused(request({"GetReport", "m1", "2", "yesterday", "2026-1-2 0:0:0", "4"})));
    EXPECT_TRUE(refused(request({"GetReport", "m1", "2"})));
    EXPECT_TRUE(refused(request({"DeleteReport", "", "2", "2026-1-1 0:0:0", "2026-1-2 0:0:0", "4"})));
    // A payload of exactly 1018 bytes is read.
    const std::string longType(1018 - std::string("GetReport$m1$$2026-1-1 0:0:0$2026-1-2 0:0:0$4$").size(), 't');
    EXPECT_EQ(request({"GetReport", "m1", longType, "2026-1-1 0:0:0", "2026-1-2 0:0:0", "4"}), "</end>");
}

class DemoHistoryTest : public DataChannelTest
{
protected:
    bool demo() const override { return true; }
};

TEST_F(DemoHistoryTest, DemoMonitorsHaveADayOfHistory)
{
    const auto monitors = m_server->storage().select(schema::monitors, Filter::all());
    ASSERT_FALSE(monitors.empty());
    const std::time_t now = std::time(nullptr);
    for (const auto &monitor : monitors) {
        const std::string id = monitor->get(MonitorObj::Id);
        const std::string reply = request({"GetReport", id, monitor->get(MonitorObj::MonitorType),
                                           timetext::format(now - 86400 - 600), timetext::format(now), "4"});
        ASSERT_TRUE(reply.ends_with("</end>"));
        std::size_t lines = 0;
        for (std::size_t at = reply.find("\r\n"); at != std::string::npos; at = reply.find("\r\n", at + 2))
            ++lines;
        EXPECT_GE(lines, 280u) << id;
        EXPECT_LE(lines, 290u) << id;
        EXPECT_EQ(reply.rfind(id + "$" + monitor->get(MonitorObj::MonitorType) + "$", 0), 0u);
    }
}

} // namespace

namespace {

class RetentionTest : public ServerTest
{
protected:
    ServerOptions options() const override
    {
        ServerOptions options = ServerTest::options();
        options.historyDays = m_days;
        return options;
    }
    int m_days = 0;
};

} // namespace

TEST_F(RetentionTest, HistoryBeyondTheKeptDaysGoesWhenTheServerStarts)
{
    const std::int64_t now = std::time(nullptr);
    const std::int64_t day = 86400;
    m_server->storage().appendHistory(std::vector<HistoryRow>{{"m1", "2", now - 40 * day, 0, "old", {}},
                                                              {"m1", "2", now - 3 * day, 0, "kept", {}},
                                                              {"m1", "2", now - 60, 0, "new", {}}});
    restartServer();
    EXPECT_EQ(m_server->storage().selectHistory("m1", 0, now, 10).size(), 3u) << "0 days: all history is kept";

    m_days = 3;
    restartServer();
    const auto rows = m_server->storage().selectHistory("m1", 0, now, 10);
    ASSERT_EQ(rows.size(), 2u) << "at least 3 whole days stay, the rest goes";
    EXPECT_EQ(rows[0].remark, "kept");
    EXPECT_EQ(rows[1].remark, "new");
}

TEST(HistoryRetention, TheCutoffIsTheStartOfTheDayThatManyDaysBefore)
{
    const std::int64_t day = 86400;
    EXPECT_EQ(HistoryRetention::cutoff(100 * day, 7), 93 * day);
    EXPECT_EQ(HistoryRetention::cutoff(100 * day + 5, 7), 93 * day);
    EXPECT_EQ(HistoryRetention::cutoff(100 * day - 1, 7), 92 * day);
}
