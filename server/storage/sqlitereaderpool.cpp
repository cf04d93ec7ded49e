#include "server/storage/sqlitereaderpool.h"

#include <sqlite3.h>

#include <algorithm>

#include "server/storage/sqliteconnection.h"
#include "server/storage/storage.h"

SqliteReaderPool::SqliteReaderPool(std::string path, std::size_t limit)
    : m_path(std::move(path)), m_limit(std::max<std::size_t>(limit, 1))
{
}

SqliteReaderPool::~SqliteReaderPool()
{
    close();
}

void SqliteReaderPool::start()
{
    std::lock_guard hold(m_lock);
    m_lending = true;
}

void SqliteReaderPool::close()
{
    std::unique_lock hold(m_lock);
    m_lending = false;
    m_returned.notify_all();
    m_returned.wait(hold, [&] { return m_lent == 0 && m_opening == 0; });
    m_idle.clear();
    m_all.clear();
}

SqliteConnection &SqliteReaderPool::acquire()
{
    std::unique_lock hold(m_lock);
    for (;;) {
        if (!m_lending)
            throw StorageError(StorageError::General, "the database " + m_path + " is not open");
        if (!m_idle.empty()) {
            SqliteConnection *connection = m_idle.back();
            m_idle.pop_back();
            ++m_lent;
            return *connection;
        }
        if (m_all.size() + m_opening < m_limit)
            break;
        m_returned.wait(hold);
    }
    // Opening takes a while: others may borrow meanwhile.
    ++m_opening;
    hold.unlock();
    auto connection = std::make_unique<SqliteConnection>(m_path);
    try {
        connection->open(SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX);
        connection->exec("PRAGMA query_only=1");
    } catch (...) {
        hold.lock();
        --m_opening;
        m_returned.notify_all();
        throw;
    }
    hold.lock();
    --m_opening;
    ++m_lent;
    m_all.push_back(std::move(connection));
    return *m_all.back();
}

void SqliteReaderPool::release(SqliteConnection &connection)
{
    // A connection left inside a transaction would hold an old snapshot for
    // its next borrower: roll it back, or drop the connection.
    if (!connection.idle()) {
        try {
            connection.exec("ROLLBACK");
        } catch (const StorageError &) {
        }
    }
    std::lock_guard hold(m_lock);
    --m_lent;
    if (connection.idle())
        m_idle.push_back(&connection);
    else
        std::erase_if(m_all, [&](const auto &owned) { return owned.get() == &connection; });
    m_returned.notify_all();
}
