#include "testsupport/testdatabase.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

#include "server/core/schema.h"
#include "server/pg/pgconnection.h"
#include "server/storage/postgresstorage.h"
#include "services/types/tablefactory.h"
#include "testsupport/postgresinstance.h"

namespace testdatabase {

bool usesPostgres()
{
    const char *backend = std::getenv("KEELMON_TEST_DB");
    return backend && std::string(backend) == "postgresql";
}

bool available()
{
    return !usesPostgres() || postgresAvailable();
}

bool postgresAvailable()
{
    static const std::string reason = PostgresInstance::unavailableReason();
    if (reason.empty())
        return true;
    std::fprintf(stderr, "\n*** POSTGRESQL TESTS SKIPPED: %s ***\n\n", reason.c_str());
    const char *ci = std::getenv("CI");
    if (ci && *ci)
        ADD_FAILURE() << "PostgreSQL must be available in CI: " << reason;
    return false;
}

std::string create(const std::string &folder)
{
    if (!usesPostgres())
        return folder + "/keelmon.db";
    // The tables are made once, in a template every test's database copies.
    static const std::string Template = [] {
        const std::string name = "keel_template";
        PostgresStorage(PostgresInstance::shared().createDatabase(name), domainFactory()).open(schema::all());
        return name;
    }();
    static std::atomic<int> created{0};
    const std::string name = "test_" + std::to_string(::getpid()) + "_" + std::to_string(++created);
    PgConnection admin(PostgresInstance::shared().connectionString("postgres"));
    admin.exec("CREATE DATABASE \"" + name + "\" TEMPLATE \"" + Template + "\"");
    return PostgresInstance::shared().connectionString(name);
}

void execute(const std::string &location, const std::string &sql)
{
    if (isPostgresLocation(location)) {
        PgConnection connection(location);
        std::istringstream statements(sql);
        for (std::string statement; std::getline(statements, statement, ';');)
            if (statement.find_first_not_of(" \n") != std::string::npos)
                connection.exec(statement);
        return;
    }
    sqlite3 *db = nullptr;
    char *error = nullptr;
    const bool done = sqlite3_open(location.c_str(), &db) == SQLITE_OK
                      && sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) == SQLITE_OK;
    const std::string message = error ? error : (db ? sqlite3_errmsg(db) : "cannot open");
    sqlite3_free(error);
    sqlite3_close(db);
    if (!done)
        throw std::runtime_error("cannot run SQL on " + location + ": " + message);
}

} // namespace testdatabase
