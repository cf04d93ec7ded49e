#pragma once

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class SqliteConnection;

// Connections that only read, so that reads run beside each other and beside
// the one writer (the file is in WAL mode). Opened on demand up to a limit;
// a caller beyond it waits for one to come back.
class SqliteReaderPool
{
public:
    SqliteReaderPool(std::string path, std::size_t limit);
    ~SqliteReaderPool();

    // Starts lending; called once the file is in WAL mode, so that no reader
    // ever has the file open before the switch.
    void start();
    // Stops lending, waits for lent connections to come back and closes all.
    void close();

    // A connection for this thread alone until release(); throws StorageError
    // when the pool is closed or a new connection cannot be opened.
    SqliteConnection &acquire();
    void release(SqliteConnection &connection);

private:
    std::string m_path;
    std::size_t m_limit;
    std::mutex m_lock;
    std::condition_variable m_returned;
    bool m_lending = false;
    std::size_t m_opening = 0;
    std::size_t m_lent = 0;
    std::vector<std::unique_ptr<SqliteConnection>> m_all;
    std::vector<SqliteConnection *> m_idle;
};
