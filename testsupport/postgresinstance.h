#pragma once

#include <memory>
#include <string>

#include "testsupport/tempfolder.h"

// A private PostgreSQL server for tests and benchmarks: initdb in a temporary
// folder, listening only on a Unix socket in that folder (no TCP port, so
// parallel test programs never collide), stopped and removed on destruction.
// As root, the server programs run as the "postgres" user, since PostgreSQL
// refuses to run as root.
class PostgresInstance
{
public:
    struct Options
    {
        // Off for tests (fast); on for benchmarks that compare with synced SQLite.
        bool durable = false;
    };

    // Starts the server; throws std::runtime_error with initdb's or pg_ctl's
    // log when it cannot.
    explicit PostgresInstance(Options options);
    PostgresInstance() : PostgresInstance(Options{}) {}
    ~PostgresInstance();
    PostgresInstance(const PostgresInstance &) = delete;
    PostgresInstance &operator=(const PostgresInstance &) = delete;

    // Why no instance can run here (no server programs installed), or empty.
    static std::string unavailableReason();
    // One instance for the whole test program, started on first use.
    static PostgresInstance &shared();

    // Creates an empty database; its libpq URI.
    std::string createDatabase(const std::string &name);
    // The libpq URI of database name on this server.
    std::string connectionString(const std::string &name) const;

    // Stops the server at once, as a crash would (immediate mode), or starts it again.
    void stop();
    void start();

private:
    void run(const std::string &program, const std::string &arguments) const;

    Options m_options;
    TempFolder m_folder;
    std::string m_data;
    std::string m_log;
    bool m_running = false;
};
