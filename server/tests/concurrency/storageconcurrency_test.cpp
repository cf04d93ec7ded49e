#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <future>
#include <thread>

#include "server/core/schema.h"
#include "server/storage/sqlitestorage.h"
#include "server/storage/sqlitewriter.h"
#include "services/types/syslogobj.h"
#include "services/types/tablefactory.h"
#include "testsupport/tempfolder.h"

namespace {

using namespace std::chrono_literals;

SysLogObj entry(const std::string &id)
{
    SysLogObj record;
    record.set(SysLogObj::ID, id);
    record.set(SysLogObj::Date, "2024-1-1 1:1:1");
    return record;
}

std::int64_t rows(SqliteStorage &storage)
{
    return storage.count(schema::sysLogs, Filter::all());
}

// Rows of table t as another connection sees them: what is committed.
int committedRows(const std::string &path)
{
    sqlite3 *db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_stmt *statement = nullptr;
    int count = -1;
    if (sqlite3_prepare_v2(db, "SELECT COUNT(*) FROM t", -1, &statement, nullptr) == SQLITE_OK
        && sqlite3_step(statement) == SQLITE_ROW)
        count = sqlite3_column_int(statement, 0);
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return count;
}

void waitUntil(const std::function<bool()> &condition)
{
    for (int i = 0; i < 500 && !condition(); ++i)
        std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(condition()) << "gave up after 5 s";
}

class StorageConcurrencyTest : public ::testing::Test
{
protected:
    void SetUp() override { m_storage.open(schema::all()); }

    TempFolder m_dir;
    SqliteStorage m_storage{m_dir.file("store.db"), domainFactory(), 2};
};

} // namespace

TEST_F(StorageConcurrencyTest, ReadsGoOnBesideAnOpenChangeAndSeeOnlyWhatIsCommitted)
{
    std::promise<void> written, release;
    std::thread writer([&] {
        auto transaction = m_storage.begin(true);
        m_storage.insert(schema::sysLogs, entry("a"));
        EXPECT_EQ(rows(m_storage), 1) << "a read inside the change sees the change";
        written.set_value();
        release.get_future().wait();
        transaction->commit();
    });
    written.get_future().wait();
    auto read = std::async(std::launch::async, [&] { return rows(m_storage); });
    const bool answered = read.wait_for(10s) == std::future_status::ready;
    release.set_value();
    writer.join();
    ASSERT_TRUE(answered) << "a read waited for another thread's open change";
    EXPECT_EQ(read.get(), 0) << "an uncommitted row was read";
    EXPECT_EQ(rows(m_storage), 1);
}

TEST_F(StorageConcurrencyTest, ReadTransactionKeepsItsSnapshotUntilItChangesSomething)
{
    auto transaction = m_storage.begin(false);
    EXPECT_EQ(rows(m_storage), 0);
    std::thread([&] { m_storage.insert(schema::sysLogs, entry("other")); }).join();
    EXPECT_EQ(rows(m_storage), 0) << "one read transaction, one snapshot";
    m_storage.insert(schema::sysLogs, entry("own"));
    EXPECT_EQ(rows(m_storage), 2) << "after its own change a read sees it (and what came before)";
    {
        auto inner = m_storage.begin(true);
        m_storage.insert(schema::sysLogs, entry("inner"));
        EXPECT_EQ(rows(m_storage), 3);
    } // not committed
    EXPECT_EQ(rows(m_storage), 2);
}

TEST_F(StorageConcurrencyTest, ManyThreadsReadAndChangeThroughFewReaders)
{
    constexpr int Threads = 6;
    constexpr int Rounds = 20;
    std::atomic<int> failures{0}, refused{0};
    m_storage.insert(schema::sysLogs, entry("taken"));
    std::vector<std::thread> threads;
    for (int t = 0; t < Threads; ++t) {
        threads.emplace_back([&, t] {
            for (int r = 0; r < Rounds; ++r) {
                try {
                    {
                        auto transaction = m_storage.begin(true);
                        m_storage.insert(schema::sysLogs, entry(std::to_string(t) + "-" + std::to_string(r)));
                        transaction->commit();
                    }
                    try {
                        auto transaction = m_storage.begin(true);
                        m_storage.insert(schema::sysLogs, entry("taken")); // only this change fails
                        transaction->commit();
                    } catch (const StorageError &error) {
                        refused += error.kind() == StorageError::Constraint;
                    }
                    auto transaction = m_storage.begin(false);
                    if (rows(m_storage) < r + 2 || m_storage.select(schema::sysLogs, Filter::where(SysLogObj::ID, "taken")).size() != 1)
                        ++failures;
                } catch (const std::exception &error) {
                    ADD_FAILURE() << error.what();
                    ++failures;
                }
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(refused.load(), Threads * Rounds);
    EXPECT_EQ(rows(m_storage), Threads * Rounds + 1);
    m_storage.close();
    SqliteStorage reopened(m_dir.file("store.db"), domainFactory());
    reopened.open(schema::all());
    EXPECT_EQ(rows(reopened), Threads * Rounds + 1) << "every acknowledged change is in the file";
}

namespace {

// A writer on a file of its own, with changes queued behind a first one so
// that they are committed together.
class WriterBatchTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_writer.connection().open(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX);
        m_writer.connection().exec("PRAGMA journal_mode=WAL; PRAGMA foreign_keys=ON; CREATE TABLE t (x UNIQUE);"
                                   "CREATE TABLE child (p REFERENCES t (x) DEFERRABLE INITIALLY DEFERRED)");
    }

    // Runs each change on a thread of its own, the first alone at the writer
    // until the others queue for it; their outcomes ("ok" or the error).
    std::vector<std::string> runBatch(const std::vector<std::string> &changes)
    {
        std::vector<std::string> outcomes(changes.size());
        std::promise<void> firstIn, othersQueued;
        std::shared_future<void> go = othersQueued.get_future().share();
        auto run = [&](std::size_t i) {
            m_writer.begin();
            if (i == 0) {
                firstIn.set_value();
                go.wait();
            }
            try {
                m_writer.connection().exec(changes[i]);
            } catch (const StorageError &error) {
                m_writer.rollback();
                outcomes[i] = error.what();
                return;
            }
            try {
                m_writer.commit();
                outcomes[i] = committedRows(m_path) > 0 ? "ok" : "acknowledged before it was committed";
            } catch (const StorageError &error) {
                outcomes[i] = error.what();
            }
        };
        std::vector<std::thread> threads;
        threads.emplace_back(run, 0);
        firstIn.get_future().wait();
        for (std::size_t i = 1; i < changes.size(); ++i)
            threads.emplace_back(run, i);
        waitUntil([&] { return m_writer.queued() == int(changes.size()) - 1; });
        othersQueued.set_value();
        for (std::thread &thread : threads)
            thread.join();
        return outcomes;
    }

    TempFolder m_dir;
    std::string m_path = m_dir.file("batch.db");
    SqliteWriter m_writer{m_path};
};

} // namespace

TEST_F(WriterBatchTest, QueuedChangesAreCommittedTogetherAndAFailedOneTakesOnlyItself)
{
    auto outcomes = runBatch({"INSERT INTO t VALUES (1)", "INSERT INTO t VALUES (1)", "INSERT INTO t VALUES (2)"});
    EXPECT_EQ(outcomes[0], "ok");
    EXPECT_NE(outcomes[1].find("UNIQUE constraint failed"), std::string::npos) << outcomes[1];
    EXPECT_EQ(outcomes[2], "ok");
    EXPECT_EQ(committedRows(m_path), 2);
}

TEST_F(WriterBatchTest, AFailedCommitFailsEveryChangeOfTheBatch)
{
    // The dangling reference is only checked when the batch commits.
    auto outcomes = runBatch({"INSERT INTO child VALUES (99)", "INSERT INTO t VALUES (1)"});
    for (const std::string &outcome : outcomes)
        EXPECT_NE(outcome.find("FOREIGN KEY constraint failed"), std::string::npos) << outcome;
    EXPECT_EQ(committedRows(m_path), 0) << "nothing of a failed batch is kept";

    m_writer.begin();
    m_writer.connection().exec("INSERT INTO t VALUES (3)");
    m_writer.commit();
    EXPECT_EQ(committedRows(m_path), 1) << "the writer works on after a failed batch";
}
