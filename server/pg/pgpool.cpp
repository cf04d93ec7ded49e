#include "server/pg/pgpool.h"

PgPool::PgPool(std::string connectionString, std::size_t maxConnections, std::chrono::milliseconds waitLimit)
    : m_connectionString(std::move(connectionString)), m_maxConnections(maxConnections), m_waitLimit(waitLimit)
{
}

PgPool::~PgPool() = default;

std::unique_ptr<PgConnection> PgPool::take()
{
    {
        std::unique_lock hold(m_lock);
        const bool available = m_returned.wait_for(hold, m_waitLimit,
                                                   [&] { return !m_idle.empty() || m_open < m_maxConnections; });
        if (!available)
            throw PgError("all " + std::to_string(m_maxConnections)
                              + " PostgreSQL connections stayed busy; the database is overloaded or a request hangs",
                          {}, false);
        if (!m_idle.empty()) {
            std::unique_ptr<PgConnection> connection = std::move(m_idle.back());
            m_idle.pop_back();
            return connection;
        }
        ++m_open;
    }
    // Connecting takes a while: done without holding the lock.
    try {
        return std::make_unique<PgConnection>(m_connectionString);
    } catch (...) {
        std::lock_guard hold(m_lock);
        --m_open;
        m_returned.notify_one();
        throw;
    }
}

void PgPool::give(std::unique_ptr<PgConnection> connection, bool lost)
{
    std::vector<std::unique_ptr<PgConnection>> closing;
    {
        std::lock_guard hold(m_lock);
        if (lost || !connection->usable()) {
            closing.swap(m_idle);
            closing.push_back(std::move(connection));
            m_open -= closing.size();
        } else {
            m_idle.push_back(std::move(connection));
        }
    }
    m_returned.notify_all();
}

void PgPool::clear()
{
    std::vector<std::unique_ptr<PgConnection>> closing;
    {
        std::lock_guard hold(m_lock);
        closing.swap(m_idle);
        m_open -= closing.size();
    }
    m_returned.notify_all();
}
