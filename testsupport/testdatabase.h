#pragma once

#include <string>

// The database the server tests of this run use: an SQLite file, or — when
// KEELMON_TEST_DB=postgresql, as ctest's "_pg" runs set it — a fresh database
// on this test program's private PostgreSQL server.
namespace testdatabase {

bool usesPostgres();
// False when no PostgreSQL server can run here: says so loudly on stderr
// (and fails the test under CI, where nothing may be skipped). The caller
// then skips.
bool postgresAvailable();
// False when this run wants PostgreSQL and none can run here (as above).
bool available();
// A fresh, empty database: a file in folder, or a new PostgreSQL database.
std::string create(const std::string &folder);
// Runs SQL statements (separated by ";") on the database at location, beside
// the server: for tests that fake an older release.
void execute(const std::string &location, const std::string &sql);

} // namespace testdatabase

// Skips the test when its database cannot be had (see available()).
#define KEEL_REQUIRE_TEST_DATABASE()                                                                                  \
    do {                                                                                                              \
        if (!testdatabase::available())                                                                               \
            GTEST_SKIP() << "PostgreSQL is not available here";                                                       \
    } while (false)

// Skips the test when no PostgreSQL server can run here, in any run.
#define KEEL_REQUIRE_POSTGRES()                                                                                       \
    do {                                                                                                              \
        if (!testdatabase::postgresAvailable())                                                                       \
            GTEST_SKIP() << "PostgreSQL is not available here";                                                       \
    } while (false)
