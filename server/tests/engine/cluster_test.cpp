// Two server nodes on one PostgreSQL database, sharing the monitors through
// leases in it: each monitor runs once per period across both, a node that dies
// loses its monitors to the other, and a change written through one node
// reaches the other's engine.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <map>
#include <mutex>
#include <thread>

#include "orb/wire/mtxarray.h"
#include "orb/wire/mtxstring.h"
#include "server/core/serverstate.h"
#include "server/engine/monitoringserver.h"
#include "server/storage/storage.h"
#include "server/tests/engine/loopbackservers.h"
#include "server/tests/engine/testinventory.h"
#include "services/types/tablefactory.h"
#include "testsupport/postgresinstance.h"
#include "testsupport/tempfolder.h"
#include "testsupport/testclient.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto Period = 2s;
constexpr std::int64_t PeriodMs = 2000;

class ClusterTest : public ::testing::Test
{
protected:
    struct Run
    {
        std::string node;
        std::int64_t dueMs;
    };

    void SetUp() override
    {
        if (std::string reason = PostgresInstance::unavailableReason(); !reason.empty()) {
            if (const char *ci = std::getenv("CI"); ci && *ci)
                ADD_FAILURE() << "PostgreSQL must be available in CI: " << reason;
            GTEST_SKIP() << reason;
        }
        static int databases = 0;
        m_database = PostgresInstance::shared().createDatabase("cluster_" + std::to_string(::getpid()) + "_"
                                                               + std::to_string(++databases));
    }

    void TearDown() override
    {
        for (auto &node : m_nodes)
            node->stop();
    }

    // The inventory, written before any node runs; with a rule counting the
    // errors of every monitor (and never sending) when asked.
    void fill(int monitors, bool countErrors = false)
    {
        MonitoringServer writer(options(), engineOptions("writer"));
        writer.app().start();
        fillPortMonitors(writer.app().storage(), monitors, {m_closed}, {m_closed});
        if (countErrors)
            addShortMessageRule(writer.app().storage(), "rule", "g0", "1", "1000000");
        writer.app().stop();
    }

    std::vector<std::pair<std::string, std::int64_t>> storedAlertCounts()
    {
        MonitoringServer reader(options(), engineOptions("reader"));
        reader.app().start();
        auto counts = reader.app().storage().loadCounters("alert");
        reader.app().stop();
        return counts;
    }

    // Starts node-a, lets every monitor run there once, then starts node-b
    // and waits until each holds half.
    std::pair<MonitoringServer *, MonitoringServer *> startTwoNodes(int monitors)
    {
        MonitoringServer &a = startNode("node-a");
        EXPECT_EQ(a.engine().monitorsHeld(), std::size_t(monitors)) << "a node alone holds every monitor";
        std::this_thread::sleep_for(Period + 200ms);
        MonitoringServer &b = startNode("node-b");
        EXPECT_TRUE(waitFor([&] { return a.engine().monitorsHeld() == std::size_t(monitors / 2)
                                         && b.engine().monitorsHeld() == std::size_t(monitors / 2); },
                            4 * LeaseTime))
            << "the second node takes half: " << a.engine().monitorsHeld() << " + " << b.engine().monitorsHeld();
        return {&a, &b};
    }

    ServerOptions options() const { return loopbackServerOptions(m_database); }

    EngineOptions engineOptions(const std::string &node)
    {
        EngineOptions engine;
        engine.defaultPeriod = Period;
        engine.checkTimeout = 500ms;
        engine.reloadEvery = 100ms;
        engine.delivery.outboxDir = m_dir.file("outbox");
        engine.delivery.spoolDir = m_dir.file("spool");
        engine.leases = {m_database, node, LeaseTime};
        engine.runObserver = [this, node](const std::string &id, std::int64_t dueMs) {
            std::lock_guard hold(m_runsLock);
            m_runs[id].push_back({node, dueMs});
        };
        return engine;
    }

    MonitoringServer &startNode(const std::string &name)
    {
        m_nodes.push_back(std::make_unique<MonitoringServer>(options(), engineOptions(name)));
        m_nodes.back()->start();
        return *m_nodes.back();
    }

    // Waits until the held counts satisfy done (at most timeout).
    template <class Done>
    bool waitFor(Done done, std::chrono::milliseconds timeout)
    {
        for (auto until = Clock::now() + timeout; Clock::now() < until; std::this_thread::sleep_for(20ms))
            if (done())
                return true;
        return done();
    }

    std::map<std::string, std::vector<Run>> runs()
    {
        std::lock_guard hold(m_runsLock);
        return m_runs;
    }

    static std::int64_t wallMs()
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::system_clock::now().time_since_epoch())
            .count();
    }

    static constexpr std::chrono::milliseconds LeaseTime{2000};
    TempFolder m_dir;
    int m_closed = closedPort();
    std::string m_database; // of both nodes: storage and leases
    std::vector<std::unique_ptr<MonitoringServer>> m_nodes;
    std::mutex m_runsLock;
    std::map<std::string, std::vector<Run>> m_runs;
};

TEST_F(ClusterTest, TwoNodesShareAThousandMonitorsAndRunEachOncePerPeriod)
{
    constexpr int Monitors = 1000;
    fill(Monitors);
    startTwoNodes(Monitors);
    ASSERT_FALSE(HasFailure());
    std::this_thread::sleep_for(3 * Period);
    const std::int64_t end = wallMs();
    for (auto &node : m_nodes)
        node->stop();

    // Every gap between two runs of a monitor, across both nodes, is one
    // period: shorter would be a run twice, longer a run skipped.
    ASSERT_EQ(runs().size(), std::size_t(Monitors)) << "every monitor ran";
    int handedOver = 0;
    std::int64_t started = std::numeric_limits<std::int64_t>::max();
    for (const auto &[id, list] : runs())
        for (const Run &run : list)
            started = std::min(started, run.dueMs);
    for (const auto &[id, list] : runs()) {
        std::vector<Run> sorted = list;
        std::sort(sorted.begin(), sorted.end(), [](const Run &x, const Run &y) { return x.dueMs < y.dueMs; });
        for (std::size_t i = 1; i < sorted.size(); ++i) {
            ASSERT_NEAR(double(sorted[i].dueMs - sorted[i - 1].dueMs), double(PeriodMs), 25.0)
                << id << " ran at " << sorted[i - 1].dueMs << " on " << sorted[i - 1].node << " and at "
                << sorted[i].dueMs << " on " << sorted[i].node;
            handedOver += sorted[i].node != sorted[i - 1].node;
        }
        EXPECT_GE(sorted.back().dueMs, end - PeriodMs - 500) << id << " stopped running";
        EXPECT_LE(sorted.front().dueMs, started + PeriodMs + 50) << id << " ran late at first";
    }
    EXPECT_EQ(handedOver, Monitors / 2) << "the monitors node-b took had run on node-a before";
}

TEST_F(ClusterTest, AlertCountsStayExactWhenMonitorsMoveBetweenNodes)
{
    constexpr int Monitors = 20;
    fill(Monitors, true);
    startTwoNodes(Monitors);
    ASSERT_FALSE(HasFailure());
    std::this_thread::sleep_for(2 * Period);
    for (auto &node : m_nodes)
        node->stop();

    // Every run of a monitor found it in error: its count is its number of
    // runs on both nodes, none lost or counted twice in the move.
    auto all = runs();
    auto counts = storedAlertCounts();
    ASSERT_EQ(counts.size(), std::size_t(Monitors));
    for (const auto &[key, count] : counts) {
        const std::string monitor = key.substr(key.find('/') + 1);
        EXPECT_EQ(count, std::int64_t(all[monitor].size())) << key;
        EXPECT_GE(all[monitor].size(), 3u) << monitor << " ran on both nodes";
    }
}

TEST_F(ClusterTest, ANodeThatDiesLosesItsMonitorsWithinOneLeaseTimeAndWritesSurvive)
{
    constexpr int Monitors = 200;
    fill(Monitors);
    auto [nodeA, nodeB] = startTwoNodes(Monitors);
    ASSERT_FALSE(HasFailure());
    MonitoringServer &a = *nodeA, &b = *nodeB;

    // A monitor added through node-a's application channel: acknowledged,
    // it reaches node-b's engine through the database.
    TestClient client(a.app().port(), 0);
    ASSERT_TRUE(client.login("admin", "Adm1n-pw").succeeded());
    MonitorObj added = portMonitor("added", "d0", m_closed);
    MtxString answer;
    MtxStatus status = client.call("ElementService", "addMonitor", {&added}, &answer);
    ASSERT_TRUE(status.succeeded()) << messageOf(status);
    ASSERT_TRUE(waitFor([&] { return a.engine().monitorsHeld() + b.engine().monitorsHeld() == Monitors + 1; }, 3s))
        << "the new monitor is held by one node";
    EXPECT_TRUE(waitFor([&] { return b.engine().stats().monitors == Monitors + 1; }, 2s)) << "node-b read the change";

    MtxArray lines;
    lines.setFactory(&domainFactory());
    ASSERT_TRUE(client.callText("SysService", "findSysStatus", {"1"}, &lines).succeeded());
    std::string report;
    for (std::size_t i = 0; i < lines.size(); ++i)
        report += std::string(dynamic_cast<const MtxString &>(*lines.at(i)).getValue()) + "\n";
    EXPECT_NE(report.find(local("节点名称: node-a\n")), std::string::npos) << report;
    EXPECT_NE(report.find(local("本节点检测数: ") + std::to_string(a.engine().monitorsHeld()) + "\n"), std::string::npos)
        << report;

    MonitoringServer twin(options(), engineOptions("node-a"));
    try {
        twin.start();
        ADD_FAILURE() << "a second server took the name of a live node";
    } catch (const std::runtime_error &refused) {
        EXPECT_NE(std::string(refused.what()).find("--node"), std::string::npos) << refused.what();
    }

    const std::int64_t killed = wallMs();
    const auto halted = Clock::now();
    a.engine().halt();
    ASSERT_TRUE(waitFor([&] { return b.engine().monitorsHeld() == Monitors + 1; }, 3 * LeaseTime))
        << "node-b holds " << b.engine().monitorsHeld();
    const auto movedAfter = Clock::now() - halted;
    EXPECT_LE(movedAfter, LeaseTime + LeaseTime / 3 + 300ms) << "one lease time and one renewal at most";
    EXPECT_GE(movedAfter, LeaseTime / 2) << "not before node-a's leases could have lapsed";

    std::this_thread::sleep_for(Period + 300ms);
    std::size_t rerun = 0;
    for (const auto &[id, list] : runs())
        rerun += std::any_of(list.begin(), list.end(),
                             [&](const Run &run) { return run.node == "node-b" && run.dueMs > killed; });
    EXPECT_EQ(rerun, std::size_t(Monitors + 1)) << "node-b runs node-a's monitors too";

    TestClient reader(b.app().port(), 0);
    ASSERT_TRUE(reader.login("admin", "Adm1n-pw").succeeded());
    MonitorObj stored;
    stored.setFactory(&domainFactory());
    EXPECT_TRUE(reader.callText("ElementService", "selectMonitorObj", {"added"}, &stored).succeeded())
        << "the write node-a acknowledged is there for node-b";
}

} // namespace
