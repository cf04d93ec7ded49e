#include "server/storage/sqlitestorage_p.h"

thread_local std::vector<SqliteStorage::Binding *> SqliteStorage::t_bindings;

SqliteStorage::Binding *SqliteStorage::bound() const
{
    for (auto it = t_bindings.rbegin(); it != t_bindings.rend(); ++it)
        if ((*it)->storage == this)
            return *it;
    return nullptr;
}

SqliteStorage::Reading::Reading(SqliteStorage &storage) : m_storage(storage)
{
    if (Binding *binding = storage.bound()) {
        m_connection = binding->connection;
        if (binding->stale) {
            m_connection->exec("COMMIT");
            m_connection->exec("BEGIN");
            binding->stale = false;
        }
    } else {
        m_connection = &storage.m_readers.acquire();
        m_lent = true;
    }
}

SqliteStorage::Reading::~Reading()
{
    if (m_lent)
        m_storage.m_readers.release(*m_connection);
}

SqliteStorage::Transaction::Transaction(SqliteStorage &storage, bool write)
    : m_storage(storage), m_binding{&storage, nullptr, write}
{
    Binding *outer = storage.bound();
    if (outer && (outer->write || !write))
        return;
    if (write) {
        storage.m_writer.begin();
        m_binding.connection = &storage.m_writer.connection();
        m_readBelow = outer;
    } else {
        SqliteConnection &reader = storage.m_readers.acquire();
        try {
            reader.exec("BEGIN");
        } catch (const StorageError &) {
            storage.m_readers.release(reader);
            throw;
        }
        m_binding.connection = &reader;
    }
    t_bindings.push_back(&m_binding);
}

SqliteStorage::Transaction::~Transaction()
{
    if (!m_binding.connection || m_done)
        return;
    std::erase(t_bindings, &m_binding);
    if (m_binding.write) {
        m_storage.m_writer.rollback();
        leaveWrite();
    } else {
        m_storage.m_readers.release(*m_binding.connection); // ends the snapshot
    }
}

void SqliteStorage::Transaction::commit()
{
    if (!m_binding.connection || !m_binding.write || m_done)
        return;
    m_done = true;
    std::erase(t_bindings, &m_binding);
    try {
        m_storage.m_writer.commit();
    } catch (const StorageError &) {
        leaveWrite();
        throw;
    }
    leaveWrite();
}

void SqliteStorage::Transaction::leaveWrite()
{
    if (m_readBelow)
        m_readBelow->stale = true;
}
