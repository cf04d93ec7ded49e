#include "server/storage/sqliteconnection.h"

#include <sqlite3.h>

#include "server/storage/storage.h"

namespace {

StorageError::Kind kindOf(int rc)
{
    return (rc & 0xff) == SQLITE_CONSTRAINT ? StorageError::Constraint : StorageError::General;
}

} // namespace

SqliteConnection::SqliteConnection(std::string path) : m_path(std::move(path))
{
}

SqliteConnection::~SqliteConnection()
{
    close();
}

void SqliteConnection::open(int flags)
{
    int rc = sqlite3_open_v2(m_path.c_str(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        std::string message = "cannot open the database " + m_path + ": "
                              + (m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc))
                              + " (check that the folder exists and is writable)";
        sqlite3_close(m_db);
        m_db = nullptr;
        throw StorageError(StorageError::General, message);
    }
    sqlite3_busy_timeout(m_db, 5000);
}

void SqliteConnection::close()
{
    for (auto &[sql, statement] : m_statements)
        sqlite3_finalize(statement);
    m_statements.clear();
    if (m_db) {
        // The last connection to close checkpoints the WAL back into the main file.
        sqlite3_close(m_db);
        m_db = nullptr;
    }
}

sqlite3_stmt *SqliteConnection::prepare(const std::string &sql)
{
    if (!m_db)
        throw StorageError(StorageError::General, "the database " + m_path + " is not open");
    auto found = m_statements.find(sql);
    if (found != m_statements.end())
        return found->second;
    sqlite3_stmt *statement = nullptr;
    int rc = sqlite3_prepare_v3(m_db, sql.c_str(), int(sql.size()), SQLITE_PREPARE_PERSISTENT, &statement, nullptr);
    if (rc != SQLITE_OK)
        fail("cannot prepare \"" + sql.substr(0, 60) + "\"", rc);
    m_statements.emplace(sql, statement);
    return statement;
}

void SqliteConnection::exec(const std::string &sql)
{
    if (!m_db)
        throw StorageError(StorageError::General, "the database " + m_path + " is not open");
    char *error = nullptr;
    int rc = sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        std::string message = error ? error : sqlite3_errstr(rc);
        sqlite3_free(error);
        throw StorageError(kindOf(rc), "cannot run \"" + sql.substr(0, 60) + "\" on " + m_path + ": " + message);
    }
}

int SqliteConnection::changes() const
{
    return sqlite3_changes(m_db);
}

bool SqliteConnection::idle() const
{
    return !m_db || sqlite3_get_autocommit(m_db);
}

void SqliteConnection::fail(const std::string &what, int rc) const
{
    throw StorageError(kindOf(rc), what + ": " + (m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc)));
}
