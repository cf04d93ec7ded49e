#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <thread>

#include "orb/wire/mtxtree.h"
#include "server/core/schema.h"
#include "server/pg/pgconnection.h"
#include "server/pg/pgpool.h"
#include "server/storage/postgresstorage.h"
#include "services/types/elementobj.h"
#include "services/types/tablefactory.h"
#include "testsupport/postgresinstance.h"
#include "testsupport/referenceserver.h"
#include "testsupport/testclient.h"
#include "testsupport/testdatabase.h"

namespace {

std::string program()
{
    return std::string(std::getenv("KEEL_BIN_DIR") ? std::getenv("KEEL_BIN_DIR") : ".") + "/keelmon-server";
}

std::string rootOf(TestClient &client)
{
    MtxTree tree(std::make_unique<ElementObj>());
    EXPECT_TRUE(client.callText("ElementService", "findElementTree", {"-1"}, &tree).succeeded());
    return static_cast<const ElementObj &>(tree.node()).get(ElementObj::ID);
}

MtxStatus addGroup(TestClient &client, const std::string &root, const std::string &id)
{
    ElementObj group;
    group.set(ElementObj::ID, id);
    group.set(ElementObj::PID, root);
    group.set(ElementObj::Type, "1");
    group.set(ElementObj::Text, id);
    return client.call("ElementService", "addElement", {&group});
}

} // namespace

TEST(PostgresServerProgram, AnUnreachableDatabaseStopsTheStartWithAMessage)
{
    TempFolder dir;
    // No server listens in this folder; the password must not reach the log.
    const std::string command = program() + " --port 0 --discovery-port 0 --db 'postgresql://keelmon:Secret1@/none?host="
                                + dir.path() + "' 2>" + dir.file("start.log");
    EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 1);
    const std::string log = readFile(dir.file("start.log"));
    EXPECT_NE(log.find("cannot connect to PostgreSQL at postgresql://keelmon:***@/none"), std::string::npos) << log;
    EXPECT_NE(log.find("check that the server runs"), std::string::npos) << log;
    EXPECT_EQ(log.find("Secret1"), std::string::npos) << log;
}

// Clients keep adding groups while PostgreSQL stops at once (as in a crash)
// and starts again: meanwhile requests are refused saying the database
// cannot be reached, afterwards every client is served without a restart of
// the server, and every add that was answered as done is still there.
TEST(PostgresRestart, RequestsAreRefusedWhileItIsDownAndNoAcknowledgedWriteIsLost)
{
    KEEL_REQUIRE_POSTGRES();
    PostgresInstance instance(PostgresInstance::Options{true});
    TempFolder dir;
    ServerOptions options = ReferenceServer::loopbackOptions(dir.path(), false);
    options.database = instance.createDatabase("restart");
    AppServer server(options);
    server.start();

    constexpr int Clients = 4;
    enum Phase { Before, Down, After, Done };
    std::atomic<int> phase{Before};
    std::atomic<int> servedAfter{0};
    std::mutex lock;
    std::vector<std::string> acknowledged;
    std::vector<std::string> refusals;
    std::vector<std::string> otherFailures;
    std::vector<std::thread> threads;
    for (int c = 0; c < Clients; ++c) {
        threads.emplace_back([&, c] {
            TestClient client(server.port(), server.discoveryPort());
            if (!client.login("admin", ReferenceServer::AdminPassword).succeeded())
                return;
            const std::string root = rootOf(client);
            bool served = false;
            for (int n = 0; phase != Done && n < 100000; ++n) {
                const int started = phase;
                const std::string id = "c" + std::to_string(c) + "-" + std::to_string(n);
                MtxStatus status = addGroup(client, root, id);
                const int ended = phase;
                std::unique_lock hold(lock);
                if (status.succeeded()) {
                    acknowledged.push_back(id);
                    if (started == After && !served) {
                        served = true;
                        ++servedAfter;
                    }
                    continue;
                }
                // Only a request that met the stop may fail, and only as unreachable.
                (started == Before && ended == Before ? otherFailures : refusals).push_back(messageOf(status));
                hold.unlock();
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    phase = Down;
    instance.stop();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    instance.start();
    phase = After;
    const auto restarted = std::chrono::steady_clock::now();
    const auto deadline = restarted + std::chrono::seconds(10);
    while (servedAfter < Clients && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    phase = Done;
    std::printf("all clients served again %lld ms after the restart; %zu adds done, %zu refused\n",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           std::chrono::steady_clock::now() - restarted)
                                           .count()),
                acknowledged.size(), refusals.size());
    for (std::thread &thread : threads)
        thread.join();

    for (const std::string &failure : otherFailures)
        ADD_FAILURE() << "refused before the stop: " << failure;
    ASSERT_FALSE(refusals.empty()) << "no request met the stopped database";
    for (const std::string &refusal : refusals)
        EXPECT_EQ(refusal, "DB_ERROR 无法连接数据库，请稍后重试");
    EXPECT_EQ(servedAfter.load(), Clients) << "every client is served again after the restart";
    auto transaction = server.storage().begin(false);
    EXPECT_EQ(server.storage().count(schema::elements, Filter().oneOf(ElementObj::ID, acknowledged)),
              std::int64_t(acknowledged.size()))
        << "an add answered as done was lost";
    transaction.reset();
    server.stop();
}

TEST(PostgresHistory, EachDayIsAPartitionAndOldDaysAreDroppedWhole)
{
    KEEL_REQUIRE_POSTGRES();
    const std::string location = PostgresInstance::shared().createDatabase("partitions");
    PostgresStorage storage(location, domainFactory());
    storage.open(schema::all());
    constexpr std::int64_t Day = 86400;
    const std::int64_t day = 19723 * Day; // 2024-01-01
    // A row from long ago gets a partition made for it.
    std::vector<HistoryRow> rows = {{"m", "5", 100, 0, "old", {}}, {"m", "5", day + 60, 0, "new", {"1"}}};
    storage.appendHistory(rows);

    PgConnection connection(location);
    const auto partitions = [&] {
        PgResult result = connection.exec("SELECT c.relname FROM pg_inherits i JOIN pg_class c ON c.oid = i.inhrelid "
                                          "WHERE i.inhparent = 'keel_history'::regclass ORDER BY 1");
        std::vector<std::string> names;
        for (int row = 0; row < result.rows(); ++row)
            names.emplace_back(result.value(row, 0));
        return names;
    };
    std::vector<std::string> names = partitions();
    for (const char *name : {"keel_history_19700101", "keel_history_20240101", "keel_history_20240108"})
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name << " (with the days ahead)";

    storage.dropHistoryBefore(day);
    names = partitions();
    EXPECT_EQ(std::count_if(names.begin(), names.end(), [](const std::string &name) { return name < "keel_history_2024"; }),
              0)
        << "every day before the cutoff is dropped whole";
    EXPECT_NE(std::find(names.begin(), names.end(), "keel_history_20240101"), names.end());
    ASSERT_EQ(storage.selectHistory("m", 0, day + Day, 10).size(), 1u);
    EXPECT_EQ(storage.selectHistory("m", 0, day + Day, 10)[0].remark, "new");
}

TEST(PostgresPool, WaitsABoundedTimeAndFreesTheSlotsOfLostConnections)
{
    KEEL_REQUIRE_POSTGRES();
    PgPool pool(PostgresInstance::shared().createDatabase("pool"), 2, std::chrono::milliseconds(100));
    auto first = pool.take();
    auto second = pool.take();
    const PgConnection *idle = first.get();
    const auto started = std::chrono::steady_clock::now();
    try {
        pool.take();
        ADD_FAILURE() << "a third connection beyond the limit";
    } catch (const PgError &busy) {
        EXPECT_NE(std::string(busy.what()).find("all 2 PostgreSQL connections stayed busy"), std::string::npos);
    }
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(100));

    pool.give(std::move(first), false);
    auto again = pool.take();
    EXPECT_EQ(again.get(), idle) << "an idle connection is lent again";
    pool.give(std::move(again), false);
    // A lost one closes itself and the idle one: both slots are free again.
    pool.give(std::move(second), true);
    auto a = pool.take();
    auto b = pool.take();
    EXPECT_EQ(a->exec("SELECT 1").integer(0, 0), 1);
    EXPECT_EQ(b->exec("SELECT 2").integer(0, 0), 2);
}
