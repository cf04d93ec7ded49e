#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "orb/textframe/textframe.h"
#include "orb/wire/codepage.h"
#include "server/core/handlers/inventory.h"
#include "server/core/schema.h"
#include "server/core/serverstate.h"
#include "server/engine/inventorysnapshot.h"
#include "server/engine/monitoringserver.h"
#include "server/storage/storage.h"
#include "server/tests/engine/loopbackservers.h"
#include "server/tests/engine/testinventory.h"
#include "testsupport/loopback.h"
#include "testsupport/servertest.h"
#include "services/types/alertlogobj.h"
#include "services/types/elementobj.h"
#include "services/types/expressionparamitemobj.h"
#include "services/types/monitorobj.h"
#include "services/types/paramobj.h"

namespace {

using namespace std::chrono_literals;

class EngineTest : public ::testing::Test
{
protected:
    void SetUp() override { start(); }
    void TearDown() override { stop(); }

    virtual EngineOptions engineOptions() const
    {
        EngineOptions options;
        options.schedule = false;
        options.checkTimeout = 500ms;
        options.reloadEvery = 50ms;
        options.delivery.outboxDir = m_dir.file("outbox");
        options.delivery.spoolDir = m_dir.file("spool");
        return options;
    }

    void start()
    {
        m_server = std::make_unique<MonitoringServer>(loopbackServerOptions(m_dir.file("keelmon.db")), engineOptions());
        m_server->setFrameTimeout(300ms);
        m_server->start();
    }
    void stop()
    {
        if (m_server)
            m_server->stop();
        m_server.reset();
    }

    Storage &storage() { return m_server->app().storage(); }

    // A group with a device on 127.0.0.1; returns the device's ID.
    std::string addDevice(const std::string &id)
    {
        auto transaction = storage().begin(true);
        std::string root = inventory::root(storage())->get(ElementObj::ID);
        for (auto [element, parent, type] : {std::tuple{id + "-group", root, "1"}, {id, id + "-group", "4"}}) {
            ElementObj record;
            record.set(ElementObj::ID, element);
            record.set(ElementObj::PID, parent);
            record.set(ElementObj::Type, type);
            record.set(ElementObj::LastState, "0");
            record.set(ElementObj::Text, element);
            record.set(ElementObj::Entity_IpAddress, "127.0.0.1");
            storage().insert(schema::elements, record);
        }
        transaction->commit();
        m_server->app().state().noteInventoryChange();
        return id;
    }

    // A port monitor: error when closed, normal when open.
    void addPortMonitor(const std::string &id, const std::string &device, int port, const char *interval = "")
    {
        MonitorObj monitor;
        monitor.set(MonitorObj::Id, id);
        monitor.set(MonitorObj::ParentId, device);
        monitor.set(MonitorObj::MonitorType, "5");
        monitor.set(MonitorObj::Text, id);
        for (auto [name, value] : {std::pair{"Port", std::to_string(port)}, {"Interval", std::string(interval)}}) {
            auto param = std::make_unique<ParamObj>();
            param->set(ParamObj::ParamName, name);
            param->set(ParamObj::ParamValue, value);
            monitor.params().append(std::move(param));
        }
        for (auto [field, op, value] : {std::tuple{StateConditionObj::Error, "!=", "open"},
                                        {StateConditionObj::Normal, "==", "open"}}) {
            auto clause = std::make_unique<ExpressionParamItemObj>();
            clause->set(ExpressionParamItemObj::itemId, "1");
            clause->set(ExpressionParamItemObj::paraName, "Status");
            clause->set(ExpressionParamItemObj::Operator, op);
            clause->set(ExpressionParamItemObj::paraValue, value);
            monitor.condition().items(field).append(std::move(clause));
            monitor.condition().set(field, "1");
        }
        auto transaction = storage().begin(true);
        storage().insert(schema::monitors, monitor);
        storage().insert(schema::elements, inventory::mirrorOf(monitor, *inventory::element(storage(), device), nullptr));
        transaction->commit();
        m_server->app().state().noteInventoryChange();
    }

    // A short-message rule watching element (see addShortMessageRule), read at once.
    void addRule(const std::string &id, const std::string &element, const char *sendType, const char *counts)
    {
        addShortMessageRule(storage(), id, element, sendType, counts);
        m_server->app().state().noteInventoryChange();
        m_server->engine().reloadIfChanged();
    }

    std::string probe(const std::string &bytes) { return exchangeOnLoopback(m_server->probePort(), bytes, 3000); }
    std::string test(const std::string &device, const std::string &monitor)
    {
        return probe(*textframe::build("DT", {"seid", device, monitor, "5", "lib", "func"}));
    }

    std::unique_ptr<ElementObj> element(const std::string &id) { return inventory::element(storage(), id); }

    TempFolder m_dir;
    std::unique_ptr<MonitoringServer> m_server;
};

} // namespace

TEST_F(EngineTest, TestFrameRunsTheCheckAndStoresStateHistoryAndRollUp)
{
    auto listener = std::make_unique<LoopbackTcpServer>(LoopbackTcpServer::http(200));
    const int port = listener->port();
    addDevice("dev");
    addPortMonitor("mon", "dev", port);

    auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(test("dev", "mon"), "<return>succeed</end>");
    // The result is committed before the reply: visible at once.
    auto mirror = element("mon");
    EXPECT_EQ(mirror->get(ElementObj::LastState), "0");
    EXPECT_TRUE(mirror->get(ElementObj::Monitor_Description).starts_with("Status=open ResponseTime="))
        << mirror->get(ElementObj::Monitor_Description);
    EXPECT_FALSE(mirror->get(ElementObj::LastMonitorTime).empty());
    EXPECT_TRUE(mirror->get(ElementObj::LastChangeStateTime).empty()) << "no change yet";
    std::cout << "DT round trip with a local check: "
              << std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count()
              << " ms\n";

    listener.reset(); // the port closes: the next result is an error
    EXPECT_EQ(test("dev", "mon"), "<return>succeed</end>");
    mirror = element("mon");
    EXPECT_EQ(mirror->get(ElementObj::LastState), "2");
    EXPECT_FALSE(mirror->get(ElementObj::LastChangeStateTime).empty());
    EXPECT_EQ(element("dev")->get(ElementObj::LastState), "2") << "the device takes its monitor's state";
    EXPECT_EQ(element("dev-group")->get(ElementObj::LastState), "2") << "and the group its device's";
    EXPECT_EQ(inventory::root(storage())->get(ElementObj::LastState), "2");

    auto history = storage().selectHistory("mon", 0, INT64_MAX, 10);
    ASSERT_EQ(history.size(), 2u);
    EXPECT_EQ(history[0].state, 0);
    EXPECT_EQ(history[1].state, 2);
    EXPECT_EQ(history[1].monitorType, "5");
    ASSERT_EQ(history[1].values.size(), 2u);
    EXPECT_EQ(history[1].values[0], "closed");

    // The monitor must belong to the device the frame names, and exist.
    EXPECT_NE(test("other-device", "mon").find("<return>fail$"), std::string::npos) << "wrong device";
    EXPECT_NE(test("dev", "missing").find("<return>fail$"), std::string::npos);
}

TEST_F(EngineTest, ProbeFramesThatCannotBeServedGetAnErrorReply)
{
    addDevice("dev");
    auto failed = [](const std::string &reply) { return reply.starts_with("<return>fail$") && reply.ends_with("</end>"); };
    EXPECT_TRUE(failed(probe("DX0002a$"))) << "another kind";
    EXPECT_TRUE(failed(probe("DTab12"))) << "a length that is no number";
    EXPECT_TRUE(failed(probe("DT0004a$b$"))) << "two fields where six belong";
    EXPECT_TRUE(failed(probe("DL0004a$bc"))) << "a tail without \"$\"";
    EXPECT_TRUE(failed(probe("DL0002a$trailing"))) << "bytes after the frame";
    auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(failed(probe("DT0040dev$"))) << "a body that never arrives";
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2500ms);
    EXPECT_TRUE(failed(probe(*textframe::build("DL", {"nope", "lib", "extraNetInterface"})))) << "unknown device";
    EXPECT_TRUE(failed(probe(*textframe::build("DL", {"dev", "lib", "whatever"})))) << "unknown list";

    // Odd frames: every one gets a whole reply, and the channel keeps serving.
    const std::string odd[] = {"DT0006$$$$$$", "DL0003$$$", std::string("DT0003\0\xff$", 9), "dt0000", "DT0000",
                               "DL0007../..$", "GET / HTTP/1.0\r\n\r\n", std::string(70000, 'D')};
    for (const std::string &frame : odd)
        EXPECT_TRUE(probe(frame).ends_with("</end>")) << frame.substr(0, 20);

    std::string list = probe(*textframe::build("DL", {"dev", "lib", "extraNetInterface"}));
    EXPECT_TRUE(list.ends_with("$</end>")) << list;
    EXPECT_NE(list.find("lo$"), std::string::npos) << list;
    EXPECT_NE(probe(*textframe::build("DL", {"dev", "lib", "extraDisk"})).find("/$"), std::string::npos);
}

TEST_F(EngineTest, AlertsFireByCountAndCountsAndHistorySurviveARestart)
{
    addDevice("dev");
    addPortMonitor("mon", "dev", closedPort());
    addRule("rule", "dev-group", "1", "3"); // watches the group: once at the 3rd error

    for (int i = 0; i < 2; ++i)
        ASSERT_EQ(test("dev", "mon"), "<return>succeed</end>");
    EXPECT_EQ(m_server->engine().recorder().alertCount("rule", "mon"), 2);
    stop();
    start();
    EXPECT_EQ(m_server->engine().recorder().alertCount("rule", "mon"), 2) << "counted before the restart";
    EXPECT_EQ(storage().selectHistory("mon", 0, INT64_MAX, 10).size(), 2u);

    for (int i = 0; i < 2; ++i)
        ASSERT_EQ(test("dev", "mon"), "<return>succeed</end>");
    ASSERT_TRUE(m_server->engine().delivery().waitIdle(5s));
    auto logs = storage().select(schema::alertLogs, Filter::all());
    ASSERT_EQ(logs.size(), 1u) << "sent once, at the third";
    EXPECT_EQ(logs[0]->get(AlertLogObj::IfSucceed), orb::fromUtf8("成功"));
    EXPECT_EQ(logs[0]->get(AlertLogObj::ManagerName), "13800000000");
    EXPECT_EQ(logs[0]->get(AlertLogObj::MonitorId), "mon");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir.file("outbox")), {}), 1);
}

TEST_F(EngineTest, AlertingControlOfAGroupHoldsBackItsMonitorsAlerts)
{
    addDevice("dev");
    addPortMonitor("mon", "dev", closedPort());
    auto setGroupAlerting = [&](const char *mode) {
        {
            auto transaction = storage().begin(true);
            storage().updateFields(schema::elements, Filter::where(ElementObj::ID, "dev-group"),
                                   {{ElementObj::AStatus, mode}});
            transaction->commit();
        }
        m_server->app().state().noteInventoryChange();
    };
    setGroupAlerting("2"); // never
    addRule("rule", "mon", "0", "1");
    ASSERT_EQ(test("dev", "mon"), "<return>succeed</end>");
    EXPECT_EQ(element("mon")->get(ElementObj::LastState), "2") << "the check still runs and is stored";
    EXPECT_EQ(m_server->engine().recorder().alertCount("rule", "mon"), 0);

    setGroupAlerting("0");
    ASSERT_EQ(test("dev", "mon"), "<return>succeed</end>");
    ASSERT_TRUE(m_server->engine().delivery().waitIdle(5s));
    EXPECT_EQ(storage().count(schema::alertLogs, Filter::all()), 1);
}

TEST(InventorySnapshot, ControlsApplyFromEveryElementAbove)
{
    InventorySnapshot snapshot;
    snapshot.controls["group"] = {"root", ControlWindow("2", "", ""), ControlWindow()};
    snapshot.controls["device"] = {"group", ControlWindow(), ControlWindow("2", "", "")};
    snapshot.controls["other"] = {"root", ControlWindow(), ControlWindow()};
    MonitorConfig monitor;
    monitor.deviceId = "device";
    EXPECT_FALSE(snapshot.allowsMonitoring(monitor, 0)) << "the group's monitoring is off";
    EXPECT_FALSE(snapshot.allowsAlerting(monitor, 0)) << "the device's alerting is off";
    monitor.deviceId = "other";
    EXPECT_TRUE(snapshot.allowsMonitoring(monitor, 0));
    monitor.monitoring = ControlWindow("2", "", "");
    EXPECT_FALSE(snapshot.allowsMonitoring(monitor, 0)) << "the monitor's own";
    monitor.deviceId = "unknown";
    EXPECT_TRUE(snapshot.allowsAlerting(monitor, 0));
}

TEST_F(EngineTest, StatusEndpointServesHealthAndMetrics)
{
    auto get = [&](const std::string &path) {
        return exchangeOnLoopback(m_server->httpPort(), "GET " + path + " HTTP/1.0\r\n\r\n", 3000);
    };
    EXPECT_TRUE(get("/health").starts_with("HTTP/1.0 200 OK")) << get("/health");
    addPortMonitor("mon", addDevice("dev"), closedPort());
    m_server->engine().reloadIfChanged();
    m_server->engine().leaseRound();
    std::string metrics = get("/metrics");
    // A node alone holds every monitor; its name defaults to the host and application port.
    EXPECT_NE(metrics.find("\nkeelmon_monitors_held 1\n"), std::string::npos) << metrics;
    EXPECT_NE(metrics.find(":" + std::to_string(m_server->app().port()) + "\"} 1\n"), std::string::npos) << metrics;
    EXPECT_TRUE(metrics.starts_with("HTTP/1.0 200 OK"));
    for (const char *name : {"keelmon_requests_total", "keelmon_checks_total", "keelmon_alerts_failed_total",
                             "keelmon_connections_open", "keelmon_sessions", "keelmon_checks_late_total"})
        EXPECT_NE(metrics.find(std::string("\n") + name + " "), std::string::npos) << name;
    EXPECT_TRUE(get("/nope").starts_with("HTTP/1.0 404"));
    EXPECT_TRUE(exchangeOnLoopback(m_server->httpPort(), "POST /metrics HTTP/1.0\r\n\r\n", 3000).starts_with("HTTP/1.0 405"));
}

namespace {
class ScheduledEngineTest : public EngineTest
{
protected:
    EngineOptions engineOptions() const override
    {
        EngineOptions options = EngineTest::engineOptions();
        options.schedule = true;
        options.checkThreads = 2;
        options.flushEvery = 50ms;
        return options;
    }
};

// Waits, at most 10 s, until the monitor has count results.
bool waitForResults(Storage &storage, const std::string &monitor, std::size_t count)
{
    for (int i = 0; i < 200; ++i) {
        if (storage.selectHistory(monitor, 0, INT64_MAX, 100).size() >= count)
            return true;
        std::this_thread::sleep_for(50ms);
    }
    return false;
}
} // namespace

TEST_F(ScheduledEngineTest, MonitorsRunAtTheirPeriodAndASilentTargetDelaysNoOther)
{
    LoopbackTcpServer open(LoopbackTcpServer::http(200));
    LoopbackTcpServer silent(LoopbackTcpServer::silent());
    addDevice("dev");
    addPortMonitor("fast", "dev", open.port(), "1");
    // An HTTP monitor against a server that never answers holds one of the
    // two check threads for its whole time-out each time.
    addPortMonitor("slow", "dev", silent.port(), "1");
    {
        auto transaction = storage().begin(true);
        storage().updateFields(schema::monitors, Filter::where(MonitorObj::Id, "slow"), {{MonitorObj::MonitorType, "8"}});
        transaction->commit();
        m_server->app().state().noteInventoryChange();
    }
    ASSERT_TRUE(waitForResults(storage(), "fast", 3)) << "the 1-second monitor runs again and again";
    auto rows = storage().selectHistory("fast", 0, INT64_MAX, 100);
    for (const HistoryRow &row : rows)
        EXPECT_EQ(row.state, 0);
    EXPECT_GE(rows.back().time - rows.front().time, 1) << "not all at once";
    EXPECT_EQ(element("fast")->get(ElementObj::LastState), "0");

    // Monitoring switched off ("never") stops the runs.
    {
        auto transaction = storage().begin(true);
        storage().updateFields(schema::monitors, Filter::where(MonitorObj::Id, "fast"), {{MonitorObj::MStatus, "2"}});
        transaction->commit();
        m_server->app().state().noteInventoryChange();
    }
    std::this_thread::sleep_for(1200ms);
    std::size_t before = storage().selectHistory("fast", 0, INT64_MAX, 100).size();
    std::this_thread::sleep_for(1500ms);
    EXPECT_EQ(storage().selectHistory("fast", 0, INT64_MAX, 100).size(), before);
}
