// The two storage backends side by side in one run: "selectElementObj" by 4
// clients against a 10,000-element inventory on SQLite and on PostgreSQL
// (a private server on a Unix socket, synced like SQLite), reported as the
// ratio of the PostgreSQL figure to SQLite's; and removing a month of
// history of 10,000 monitors, SQLite deleting rows and PostgreSQL dropping
// day partitions.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <ctime>

#include "server/core/appserver.h"
#include "server/pg/pgconnection.h"
#include "server/storage/storage.h"
#include "services/types/elementobj.h"
#include "testsupport/benchinventory.h"
#include "testsupport/postgresinstance.h"
#include "testsupport/tempfolder.h"
#include "testsupport/testclient.h"

namespace {

enum Backend { Sqlite, Postgres };

PostgresInstance &durablePostgres()
{
    static PostgresInstance instance(PostgresInstance::Options{true});
    return instance;
}

std::string freshDatabase(Backend backend, const TempFolder &dir, const std::string &name)
{
    return backend == Postgres ? durablePostgres().createDatabase(name) : dir.file(name + ".db");
}

// A server with the 10,000-element inventory, one per backend for the run.
struct Site
{
    TempFolder dir;
    std::unique_ptr<AppServer> server;

    explicit Site(Backend backend)
    {
        ServerOptions options;
        options.port = 0;
        options.discovery = false;
        options.database = freshDatabase(backend, dir, "select");
        options.adminPassword = "bench";
        options.logLevel = serverlog::Level::Error;
        server = std::make_unique<AppServer>(options);
        server->start();
        FillBenchInventory(server->storage(), 50, 40, 4);
    }
    ~Site() { server->stop(); }
};

Site &site(Backend backend)
{
    static Site sqlite(Sqlite);
    static Site postgres(Postgres);
    return backend == Postgres ? postgres : sqlite;
}

// Requests per second of the last run of each backend, for the ratio.
std::atomic<double> g_rate[2];

void BM_SelectElementObj(benchmark::State &state, Backend backend)
{
    static std::atomic<long> calls{0};
    static std::chrono::steady_clock::time_point started;
    Site &target = site(backend);
    TestClient client(target.server->port(), 0);
    client.login("admin", "bench");
    if (state.thread_index() == 0) {
        calls = 0;
        started = std::chrono::steady_clock::now();
    }
    for (auto _ : state) {
        ElementObj element;
        MtxStatus status = client.callText("ElementService", "selectElementObj", {"g7-d3"}, &element);
        if (!status.succeeded()) {
            state.SkipWithError(messageOf(status).c_str());
            break;
        }
    }
    calls += long(state.iterations());
    state.SetItemsProcessed(state.iterations());
    if (state.thread_index() == 0) {
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        g_rate[backend] = double(calls) / seconds;
        if (backend == Postgres && g_rate[Sqlite] > 0)
            state.counters["vs_sqlite"] = g_rate[Postgres] / g_rate[Sqlite];
    }
}
BENCHMARK_CAPTURE(BM_SelectElementObj, sqlite, Sqlite)->Threads(4)->UseRealTime()->MinTime(3.0);
BENCHMARK_CAPTURE(BM_SelectElementObj, postgresql, Postgres)->Threads(4)->UseRealTime()->MinTime(3.0);

constexpr int Monitors = 10000;
constexpr int Days = 30;
constexpr int RowsPerDay = 24; // one result an hour

// A month of hourly results for every monitor, written straight into the
// tables (through the server it would take far longer than the removal).
void fillMonth(Backend backend, const std::string &location, Storage &storage, std::int64_t firstDay)
{
    const std::string rows = "SELECT 'm' || m, '5', " + std::to_string(firstDay) + " + h * 3600, 0, 'CpuUsage=1', '1' "
                             "FROM generate_series(0, " + std::to_string(Monitors - 1) + ") m, generate_series(0, "
                             + std::to_string(Days * RowsPerDay - 1) + ") h";
    if (backend == Postgres) {
        // One row a day through the storage makes the partitions.
        std::vector<HistoryRow> seed;
        for (int day = 0; day < Days; ++day)
            seed.push_back({"seed", "5", firstDay + day * 86400, 0, "", {}});
        storage.appendHistory(seed);
        PgConnection connection(location);
        connection.exec("INSERT INTO keel_history (monitor, type, time, state, remark, vals) " + rows);
        // A month-old history has long been written out: no checkpoint of it may run during the removal.
        connection.exec("CHECKPOINT");
        return;
    }
    sqlite3 *db = nullptr;
    sqlite3_open(location.c_str(), &db);
    const std::string series = "WITH RECURSIVE s(n) AS (SELECT 0 UNION ALL SELECT n + 1 FROM s WHERE n < ";
    sqlite3_exec(db,
                 ("INSERT INTO keel_history (monitor, type, time, state, remark, vals) "
                  "SELECT 'm' || m.n, '5', " + std::to_string(firstDay) + " + h.n * 3600, 0, 'CpuUsage=1', '1' FROM ("
                  + series + std::to_string(Monitors - 1) + ") SELECT n FROM s) m, (" + series
                  + std::to_string(Days * RowsPerDay - 1) + ") SELECT n FROM s) h")
                     .c_str(),
                 nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

void BM_DropMonthOfHistory(benchmark::State &state, Backend backend)
{
    TempFolder dir;
    static int runs = 0;
    ServerOptions options;
    options.port = 0;
    options.discovery = false;
    options.database = freshDatabase(backend, dir, "month" + std::to_string(++runs));
    options.adminPassword = "bench";
    options.logLevel = serverlog::Level::Error;
    AppServer server(options);
    server.start();
    const std::int64_t firstDay = (std::time(nullptr) / 86400 - 60) * 86400;
    fillMonth(backend, options.database, server.storage(), firstDay);
    for (auto _ : state)
        server.storage().dropHistoryBefore(firstDay + Days * 86400);
    if (!server.storage().selectHistory("m1", 0, firstDay + Days * 86400, 1).empty())
        state.SkipWithError("history was left");
    state.counters["rows"] = double(Monitors) * Days * RowsPerDay;
    server.stop();
}
BENCHMARK_CAPTURE(BM_DropMonthOfHistory, sqlite, Sqlite)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_DropMonthOfHistory, postgresql, Postgres)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
