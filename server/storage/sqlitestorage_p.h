#pragma once

// The pieces of SqliteStorage that choose and hold a connection for a call
// or a transaction.

#include <sqlite3.h>

#include "server/storage/sqlitestorage.h"

// Resets a cached statement when the operation is done with it.
class SqliteStorage::Statement
{
public:
    explicit Statement(sqlite3_stmt *statement) : m_statement(statement) {}
    ~Statement()
    {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
    }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    operator sqlite3_stmt *() const { return m_statement; }
    // Runs a statement that returns no rows; the number of rows it changed.
    int run(const SqliteConnection &connection, const std::string &failure)
    {
        int rc = sqlite3_step(m_statement);
        if (rc != SQLITE_DONE)
            connection.fail(failure, rc);
        sqlite3_reset(m_statement); // done before the change commits
        return connection.changes();
    }

private:
    sqlite3_stmt *m_statement;
};

// A transaction this thread holds on a storage, through the connection it runs on.
struct SqliteStorage::Binding
{
    const SqliteStorage *storage;
    SqliteConnection *connection;
    bool write;
    // A read transaction below a change of the same thread: its snapshot
    // predates that change, so it starts afresh before its next read.
    bool stale = false;
};

// The connection a read runs on: that of this thread's transaction, else a
// reader lent for the one call.
class SqliteStorage::Reading
{
public:
    explicit Reading(SqliteStorage &storage);
    ~Reading();
    Reading(const Reading &) = delete;
    Reading &operator=(const Reading &) = delete;
    SqliteConnection &connection() const { return *m_connection; }

private:
    SqliteStorage &m_storage;
    SqliteConnection *m_connection = nullptr;
    bool m_lent = false;
};

// The outermost transaction of a thread owns a connection: the writer, or a
// lent reader; inner ones join it. A write inside a read transaction takes the
// writer on its own, and the read starts a new snapshot after it. A single
// change outside any transaction is a write transaction of its own.
class SqliteStorage::Transaction : public StorageTransaction
{
public:
    Transaction(SqliteStorage &storage, bool write);
    ~Transaction() override;
    // A write commits (and gives the writer up); a read keeps its snapshot
    // until it is destroyed.
    void commit() override;

private:
    void leaveWrite();

    SqliteStorage &m_storage;
    Binding m_binding;
    Binding *m_readBelow = nullptr;
    bool m_done = false;
};
