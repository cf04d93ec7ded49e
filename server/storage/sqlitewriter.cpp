#include "server/storage/sqlitewriter.h"

#include "server/storage/storage.h"

SqliteWriter::SqliteWriter(std::string path) : m_connection(std::move(path))
{
}

void SqliteWriter::begin()
{
    ++m_queued;
    m_lock.lock();
    --m_queued;
    try {
        if (m_batch && m_connection.idle())
            finish("the database rolled back the transaction after an error; see the messages before this one");
        if (!m_batch) {
            m_connection.exec("BEGIN IMMEDIATE");
            m_batch = std::make_shared<Batch>();
        }
        m_connection.exec("SAVEPOINT keel_change");
    } catch (const StorageError &) {
        finishTurn();
        m_lock.unlock();
        throw;
    }
}

void SqliteWriter::commit()
{
    try {
        m_connection.exec("RELEASE keel_change");
    } catch (const StorageError &) {
        rollback();
        throw;
    }
    ++m_members;
    std::shared_ptr<Batch> batch = m_batch;
    finishTurn();
    m_lock.unlock();

    std::unique_lock hold(m_doneLock);
    m_done.wait(hold, [&] { return batch->finished; });
    if (!batch->error.empty())
        throw StorageError(StorageError::General, batch->error);
}

void SqliteWriter::rollback()
{
    try {
        m_connection.exec("ROLLBACK TO keel_change");
        m_connection.exec("RELEASE keel_change");
    } catch (const StorageError &) {
        // the connection already rolled back on its own; finishTurn sees it
    }
    finishTurn();
    m_lock.unlock();
}

void SqliteWriter::close()
{
    std::lock_guard hold(m_lock);
    if (m_batch)
        commitBatch();
    m_connection.close();
}

// Run by the holder of the writer before it gives it up: the open
// transaction is committed unless another change is queued to join it.
void SqliteWriter::finishTurn()
{
    if (!m_batch)
        return;
    if (m_connection.idle()) {
        finish("the database rolled back the transaction after an error; see the messages before this one");
        return;
    }
    if (m_queued > 0 && m_members < MaxBatch)
        return;
    if (m_members > 0) {
        commitBatch();
        return;
    }
    try {
        m_connection.exec("ROLLBACK"); // nothing kept: end the empty transaction
    } catch (const StorageError &) {
    }
    m_batch.reset();
}

void SqliteWriter::commitBatch()
{
    std::string error;
    try {
        m_connection.exec("COMMIT");
    } catch (const StorageError &failure) {
        error = failure.what();
        if (!m_connection.idle()) {
            try {
                m_connection.exec("ROLLBACK");
            } catch (const StorageError &) {
            }
        }
    }
    finish(error);
}

void SqliteWriter::finish(const std::string &error)
{
    {
        std::lock_guard hold(m_doneLock);
        m_batch->finished = true;
        m_batch->error = error;
    }
    m_done.notify_all();
    m_batch.reset();
    m_members = 0;
}
