#pragma once

#include <string>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

// One SQLite connection with the statements prepared on it. It is used by one
// thread at a time; the storage decides which.
class SqliteConnection
{
public:
    explicit SqliteConnection(std::string path);
    ~SqliteConnection();
    SqliteConnection(const SqliteConnection &) = delete;
    SqliteConnection &operator=(const SqliteConnection &) = delete;

    // Opens the file with the given sqlite3_open_v2 flags and a busy time-out;
    // throws StorageError saying what to check.
    void open(int flags);
    void close();
    bool isOpen() const { return m_db != nullptr; }
    sqlite3 *handle() const { return m_db; }
    const std::string &path() const { return m_path; }

    // A statement kept for the life of the connection, prepared on first use.
    sqlite3_stmt *prepare(const std::string &sql);
    void exec(const std::string &sql);
    // Rows changed by the last statement.
    int changes() const;
    // True when no transaction is open.
    bool idle() const;
    [[noreturn]] void fail(const std::string &what, int rc) const;

private:
    std::string m_path;
    sqlite3 *m_db = nullptr;
    std::unordered_map<std::string, sqlite3_stmt *> m_statements;
};
