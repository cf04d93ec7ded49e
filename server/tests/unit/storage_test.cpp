#include <gtest/gtest.h>

#include <thread>

#include "orb/wire/codepage.h"
#include "server/core/schema.h"
#include "server/storage/historypartitions.h"
#include "server/storage/storagefor.h"
#include "services/types/expressionparamitemobj.h"
#include "services/types/monitorobj.h"
#include "services/types/paramobj.h"
#include "services/types/syslogobj.h"
#include "services/types/tablefactory.h"
#include "testsupport/servertest.h"
#include "testsupport/testdatabase.h"

namespace {

MonitorObj sampleMonitor(const std::string &id)
{
    MonitorObj monitor;
    monitor.set(MonitorObj::Id, id);
    monitor.set(MonitorObj::ParentId, "device-1");
    monitor.set(MonitorObj::MonitorType, "2");
    monitor.setTruncated(MonitorObj::Text, local("CPU使用率"));
    auto param = std::make_unique<ParamObj>();
    param->set(ParamObj::ParamName, "HostName");
    param->set(ParamObj::ParamValue, "127.0.0.21");
    monitor.params().append(std::move(param));
    auto clause = std::make_unique<ExpressionParamItemObj>();
    clause->set(ExpressionParamItemObj::itemId, "1");
    clause->set(ExpressionParamItemObj::paraName, "CpuUsage");
    clause->set(ExpressionParamItemObj::Operator, "<=");
    clause->set(ExpressionParamItemObj::paraValue, "75");
    monitor.condition().items(StateConditionObj::Normal).append(std::move(clause));
    monitor.condition().set(StateConditionObj::Normal, "1");
    return monitor;
}

SysLogObj logEntry(const std::string &id, const std::string &date)
{
    SysLogObj entry;
    entry.set(SysLogObj::ID, id);
    entry.set(SysLogObj::Date, date);
    return entry;
}

// Runs against SQLite, or PostgreSQL in the "_pg" run.
class StorageTest : public ::testing::Test
{
protected:
    void open()
    {
        m_storage = storageFor(m_location, domainFactory());
        m_storage->open(schema::all());
    }
    void SetUp() override
    {
        KEEL_REQUIRE_TEST_DATABASE();
        m_location = testdatabase::create(m_dir.path());
        open();
    }

    TempFolder m_dir;
    std::string m_location;
    std::unique_ptr<Storage> m_storage;
};

} // namespace

TEST_F(StorageTest, RecordsWithEmbeddedObjectsSurviveAReopen)
{
    MonitorObj monitor = sampleMonitor("m-1");
    m_storage->insert(schema::monitors, monitor);
    m_storage->close();
    open();

    auto rows = m_storage->select(schema::monitors, Filter::where(MonitorObj::Id, "m-1"));
    ASSERT_EQ(rows.size(), 1u);
    auto &stored = static_cast<MonitorObj &>(*rows.front());
    EXPECT_EQ(stored.get(MonitorObj::Text), local("CPU使用率")) << "code-page text must come back byte for byte";
    EXPECT_TRUE(stored == monitor) << "every field and embedded item must round-trip";
    const auto &clauses = stored.condition().items(StateConditionObj::Normal);
    ASSERT_EQ(clauses.size(), 1u);
    EXPECT_EQ(static_cast<const ExpressionParamItemObj &>(*clauses.at(0)).get(ExpressionParamItemObj::Operator), "<=");
}

TEST_F(StorageTest, UpdateRemoveCountAndUniqueKeys)
{
    m_storage->insert(schema::monitors, sampleMonitor("m-1"));
    m_storage->insert(schema::monitors, sampleMonitor("m-2"));
    EXPECT_THROW(m_storage->insert(schema::monitors, sampleMonitor("m-1")), StorageError);
    try {
        m_storage->insert(schema::monitors, sampleMonitor("m-2"));
        ADD_FAILURE() << "a second m-2 was stored";
    } catch (const StorageError &error) {
        EXPECT_EQ(error.kind(), StorageError::Constraint);
    }

    MonitorObj changed = sampleMonitor("m-2");
    changed.set(MonitorObj::Text, "renamed");
    changed.params().clear();
    EXPECT_EQ(m_storage->update(schema::monitors, Filter::where(MonitorObj::Id, "m-2"), changed), 1);
    auto rows = m_storage->select(schema::monitors, Filter::where(MonitorObj::Id, "m-2"));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows.front()->get(MonitorObj::Text), "renamed");
    EXPECT_EQ(static_cast<MonitorObj &>(*rows.front()).params().size(), 0u);

    EXPECT_EQ(m_storage->count(schema::monitors, Filter::where(MonitorObj::ParentId, "device-1")), 2);
    EXPECT_EQ(m_storage->count(schema::monitors, Filter().oneOf(MonitorObj::Id, {"m-1", "nope"})), 1);
    EXPECT_EQ(m_storage->count(schema::monitors, Filter().oneOf(MonitorObj::Id, {})), 0);
    EXPECT_EQ(m_storage->remove(schema::monitors, Filter::where(MonitorObj::Id, "m-1")), 1);
    EXPECT_EQ(m_storage->count(schema::monitors, Filter::all()), 1);
}

TEST_F(StorageTest, TimeRangesAndOrderFollowTheTimeNotTheText)
{
    // As text "2024-10-1" sorts before "2024-9-30"; as a time it comes after.
    m_storage->insert(schema::sysLogs, logEntry("late", "2024-10-1 0:0:0"));
    m_storage->insert(schema::sysLogs, logEntry("early", "2024-9-30 23:59:59"));
    m_storage->insert(schema::sysLogs, logEntry("bad", "yesterday"));

    auto ordered = m_storage->select(schema::sysLogs, Filter().timeFrom(sortableTime("2024-9-1")), RowOrder::TimeAscending);
    ASSERT_EQ(ordered.size(), 2u) << "a row without a valid time matches no range";
    EXPECT_EQ(ordered[0]->get(SysLogObj::ID), "early");
    EXPECT_EQ(ordered[1]->get(SysLogObj::ID), "late");

    // A row without a valid time sorts as the lowest time on every backend.
    auto all = m_storage->select(schema::sysLogs, Filter::all(), RowOrder::TimeAscending);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all.front()->get(SysLogObj::ID), "bad");
    all = m_storage->select(schema::sysLogs, Filter::all(), RowOrder::TimeDescending);
    EXPECT_EQ(all.back()->get(SysLogObj::ID), "bad");

    auto day = m_storage->select(schema::sysLogs,
                                 Filter().timeFrom(sortableTime("2024-9-30")).timeTo(sortableTime("2024-9-30 23:59:59")),
                                 RowOrder::TimeDescending);
    ASSERT_EQ(day.size(), 1u);
    EXPECT_EQ(day[0]->get(SysLogObj::ID), "early");
}

TEST_F(StorageTest, UncommittedWriteTransactionRollsBack)
{
    {
        auto transaction = m_storage->begin(true);
        m_storage->insert(schema::monitors, sampleMonitor("gone"));
    }
    {
        auto transaction = m_storage->begin(true);
        m_storage->insert(schema::monitors, sampleMonitor("kept"));
        transaction->commit();
    }
    EXPECT_EQ(m_storage->count(schema::monitors, Filter::all()), 1);
    EXPECT_EQ(m_storage->distinct(schema::monitors, MonitorObj::Id, Filter::all()), std::vector<std::string>{"kept"});
}

TEST_F(StorageTest, OlderTablesGainNewColumnsAndNewerSchemasAreRefused)
{
    m_storage->close();
    // A table from a release whose records had fewer fields.
    testdatabase::execute(m_location, "DROP TABLE sys_logs; CREATE TABLE sys_logs (\"ID\" TEXT NOT NULL DEFAULT '');"
                                      "INSERT INTO sys_logs VALUES ('old');");
    open();
    auto rows = m_storage->select(schema::sysLogs, Filter::all());
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0]->get(SysLogObj::ID), "old");
    m_storage->insert(schema::sysLogs, logEntry("new", "2024-1-1 1:1:1"));
    m_storage->close();

    testdatabase::execute(m_location, "UPDATE keel_schema SET version = 99");
    EXPECT_THROW(storageFor(m_location, domainFactory())->open(schema::all()), StorageError);
    m_storage.reset();
}

TEST(SortableTime, ReadsWireTimesAndRejectsOthers)
{
    EXPECT_EQ(sortableTime("2004-3-7 9:5:1"), 20040307090501);
    EXPECT_EQ(sortableTime("2004-3-7"), 20040307000000);
    EXPECT_EQ(sortableTime("2004-03-07 09:05:01"), 20040307090501);
    for (const char *bad : {"", "2004", "2004-3", "2004-13-1", "2004-3-7 25:0:0", "2004-3-7 9:5", "x-3-7", "2004-3-7 9:5:1 "})
        EXPECT_EQ(sortableTime(bad), -1) << bad;
}

namespace {

HistoryRow historyRow(const std::string &monitor, std::int64_t time, int state, std::vector<std::string> values)
{
    return {monitor, "5", time, state, local("Status=0,检测"), std::move(values)};
}

} // namespace

TEST_F(StorageTest, HistoryKeepsRowsPerMonitorInTimeOrder)
{
    // Appended out of order and interleaved with another monitor.
    std::vector<HistoryRow> batch = {historyRow("m1", 300, 2, {"1", "0"}), historyRow("m2", 150, 0, {"0", "3"}),
                                     historyRow("m1", 100, 0, {"0", "12"}), historyRow("m1", 200, 1, {"", "a\x1f" "b"}),
                                     historyRow("m1", 400, 0, {})};
    m_storage->appendHistory(batch);

    auto rows = m_storage->selectHistory("m1", 0, 1000, 100);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], batch[2]);
    EXPECT_EQ(rows[1].time, 200);
    EXPECT_EQ(rows[1].values, (std::vector<std::string>{"", "a b"})) << "empty values keep their place";
    EXPECT_EQ(rows[2], batch[0]);
    EXPECT_TRUE(rows[3].values.empty());
    EXPECT_EQ(rows[0].remark, local("Status=0,检测"));

    // Both ends of the range are included; the cap keeps the oldest rows.
    rows = m_storage->selectHistory("m1", 200, 300, 100);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].time, 200);
    EXPECT_EQ(rows[1].time, 300);
    rows = m_storage->selectHistory("m1", 0, 1000, 2);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].time, 200);
    EXPECT_TRUE(m_storage->selectHistory("m3", 0, 1000, 100).empty());

    EXPECT_EQ(m_storage->deleteHistory("m1", 150, 300), 2);
    EXPECT_EQ(m_storage->deleteHistory("m1", 150, 300), 0);
    m_storage->close();
    open();
    rows = m_storage->selectHistory("m1", 0, 1000, 100);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].time, 100);
    EXPECT_EQ(rows[1].time, 400);
    EXPECT_EQ(m_storage->selectHistory("m2", 0, 1000, 100).size(), 1u);
}

TEST_F(StorageTest, HistoryBatchJoinsTheCallersTransaction)
{
    std::vector<HistoryRow> batch = {historyRow("m1", 100, 0, {"0"})};
    {
        auto transaction = m_storage->begin(true);
        m_storage->appendHistory(batch);
        // not committed: the batch goes with it
    }
    EXPECT_TRUE(m_storage->selectHistory("m1", 0, 1000, 10).empty());
    {
        auto transaction = m_storage->begin(true);
        m_storage->appendHistory(batch);
        transaction->commit();
    }
    EXPECT_EQ(m_storage->selectHistory("m1", 0, 1000, 10).size(), 1u);
}

TEST_F(StorageTest, OldHistoryIsDroppedBeforeACutoffOfEveryMonitor)
{
    constexpr std::int64_t Day = 86400;
    const std::int64_t today = 20000 * Day; // a day in 2024
    std::vector<HistoryRow> batch;
    for (std::int64_t time : {today - 3 * Day, today - 2 * Day + 5, today - 1, today, today + Day / 2, today + 9 * Day})
        for (const char *monitor : {"m1", "m2"})
            batch.push_back(historyRow(monitor, time, 0, {"1"}));
    m_storage->appendHistory(batch);

    m_storage->dropHistoryBefore(today);
    for (const char *monitor : {"m1", "m2"}) {
        auto rows = m_storage->selectHistory(monitor, 0, today + 10 * Day, 100);
        ASSERT_EQ(rows.size(), 3u) << monitor;
        EXPECT_EQ(rows[0].time, today) << "a row at the cutoff stays";
        EXPECT_EQ(rows[2].time, today + 9 * Day);
    }
    // A cutoff inside a day removes exactly the rows before it.
    m_storage->dropHistoryBefore(today + Day / 2);
    EXPECT_EQ(m_storage->selectHistory("m1", 0, today + 10 * Day, 100).size(), 2u);
    // Rows for days whose history went are taken again.
    m_storage->appendHistory(std::vector<HistoryRow>{historyRow("m1", today - 3 * Day, 0, {})});
    EXPECT_EQ(m_storage->selectHistory("m1", 0, today, 100).size(), 1u);
}

// Read-modify-write in write transactions from several threads at once:
// writers follow one another, so no increment is lost; a write inside a
// read transaction (as a read request that rolls states up does) commits.
TEST_F(StorageTest, WriteTransactionsFollowOneAnother)
{
    m_storage->insert(schema::monitors, sampleMonitor("counter"));
    const Filter counter = Filter::where(MonitorObj::Id, "counter");
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 25; ++i) {
                auto transaction = m_storage->begin(true);
                auto rows = m_storage->select(schema::monitors, counter);
                const int value = std::atoi(rows.at(0)->get(MonitorObj::Text).c_str());
                m_storage->updateFields(schema::monitors, counter, {{MonitorObj::Text, std::to_string(value + 1)}});
                transaction->commit();
            }
        });
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(m_storage->select(schema::monitors, counter).at(0)->get(MonitorObj::Text), "100");

    {
        auto read = m_storage->begin(false);
        auto write = m_storage->begin(true);
        m_storage->updateFields(schema::monitors, counter, {{MonitorObj::Text, "rolled up"}});
        write->commit();
    }
    EXPECT_EQ(m_storage->select(schema::monitors, counter).at(0)->get(MonitorObj::Text), "rolled up");
}

TEST(HistoryPartitions, DaysAndNamesFollowUtcDates)
{
    EXPECT_EQ(HistoryPartitions::nameOf(0), "keel_history_19700101");
    EXPECT_EQ(HistoryPartitions::nameOf(HistoryPartitions::dayOf(1709164800)), "keel_history_20240229");
    EXPECT_EQ(HistoryPartitions::dayOf(86399), 0);
    EXPECT_EQ(HistoryPartitions::dayOf(-1), -1) << "a time before 1970 lies in the day before";
    for (std::int64_t day : {0, 19782, 2932896, -1})
        EXPECT_EQ(HistoryPartitions::dayOfName(HistoryPartitions::nameOf(day)), day);
    for (const char *other : {"keel_history", "keel_history_2024", "keel_history_2024010x", "users"})
        EXPECT_FALSE(HistoryPartitions::dayOfName(other)) << other;
}
