#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

#include "server/storage/sqliteconnection.h"

// The one connection that changes the file, used by one thread at a time.
// Changes of several threads share a sync: a change that ends while others
// queue for the writer stays in the open SQLite transaction (each change is a
// savepoint in it), and the last of the queue commits them all. Every
// commit() returns only once its change is on disk, so nothing is
// acknowledged before it would survive a crash.
class SqliteWriter
{
public:
    explicit SqliteWriter(std::string path);

    SqliteConnection &connection() { return m_connection; }

    // Waits for the writer and starts a change; throws StorageError.
    void begin();
    // Keeps the change and gives the writer up; returns once the change is
    // committed and throws StorageError when it could not be.
    void commit();
    // Undoes the change and gives the writer up.
    void rollback();
    // Closes the connection once the writer is free.
    void close();
    // How many threads wait to begin a change.
    int queued() const { return m_queued; }

    static constexpr int MaxBatch = 64;

private:
    struct Batch
    {
        bool finished = false;
        std::string error;
    };

    void finishTurn();
    void commitBatch();
    void finish(const std::string &error);

    SqliteConnection m_connection;
    std::mutex m_lock; // held by the thread whose change the writer takes
    std::atomic<int> m_queued{0};
    // The changes kept in the open transaction; guarded by m_lock.
    std::shared_ptr<Batch> m_batch;
    int m_members = 0;
    std::mutex m_doneLock; // guards every Batch's fields
    std::condition_variable m_done;
};
