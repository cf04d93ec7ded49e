#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "server/pg/pgconnection.h"

// Connections to one PostgreSQL database shared by threads: a thread takes a
// connection, uses it alone and gives it back. New connections are opened on
// demand up to a limit; beyond it a taker waits a bounded time.
class PgPool
{
public:
    PgPool(std::string connectionString, std::size_t maxConnections,
           std::chrono::milliseconds waitLimit = std::chrono::seconds(30));
    ~PgPool();
    PgPool(const PgPool &) = delete;
    PgPool &operator=(const PgPool &) = delete;

    // An idle connection, or a new one; throws PgError when none can be had.
    std::unique_ptr<PgConnection> take();
    // Hands a connection back. A lost one is closed, and so are the idle
    // ones: when the server went away they are all dead, and each would
    // otherwise fail one more request before being found out.
    void give(std::unique_ptr<PgConnection> connection, bool lost);
    // Closes the idle connections (those in use close when given back).
    void clear();

    const std::string &connectionString() const { return m_connectionString; }

private:
    std::string m_connectionString;
    std::size_t m_maxConnections;
    std::chrono::milliseconds m_waitLimit;
    std::mutex m_lock;
    std::condition_variable m_returned;
    std::vector<std::unique_ptr<PgConnection>> m_idle;
    std::size_t m_open = 0; // idle and in use
};
