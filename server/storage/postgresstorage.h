#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>

#include "server/pg/pgpool.h"
#include "server/storage/historypartitions.h"
#include "server/storage/storage.h"

class MtxFactory;
class StoredTable;

// Storage in a PostgreSQL database, with the same tables, schema version and
// results as SqliteStorage. Connections come from a pool: a transaction binds
// one to its thread until it ends, a read outside a transaction borrows any
// idle one. Write transactions take one advisory lock, so writers follow one
// another as they do on SQLite (on every server sharing the database), while
// readers run side by side. History rows live in one partition per day.
class PostgresStorage : public Storage
{
public:
    // The advisory lock every write transaction holds.
    static constexpr std::int64_t WriteLock = 0x4b65656c6d6f6e; // "Keelmon"

    // connectionString is a libpq URI; factory creates the items of embedded
    // objects when rows are read.
    PostgresStorage(std::string connectionString, MtxFactory &factory, std::size_t maxConnections = 32);
    ~PostgresStorage() override;

    void open(std::span<const TableDefinition *const> tables) override;
    void close() override;
    std::unique_ptr<StorageTransaction> begin(bool write) override;

    void insert(const TableDefinition &table, const MtxRecord &record) override;
    int update(const TableDefinition &table, const Filter &filter, const MtxRecord &record) override;
    int updateFields(const TableDefinition &table, const Filter &filter,
                     const std::vector<std::pair<int, std::string>> &fields) override;
    int remove(const TableDefinition &table, const Filter &filter) override;
    std::vector<std::unique_ptr<MtxRecord>> select(const TableDefinition &table, const Filter &filter,
                                                   RowOrder order = RowOrder::Insertion) override;
    void forEach(const TableDefinition &table, const Filter &filter,
                 const std::function<void(const MtxRecord &)> &visit) override;
    std::int64_t count(const TableDefinition &table, const Filter &filter) override;
    std::vector<std::pair<std::string, std::int64_t>> countBy(const TableDefinition &table, int field,
                                                              const Filter &filter) override;
    std::vector<std::string> distinct(const TableDefinition &table, int field, const Filter &filter) override;
    void appendHistory(std::span<const HistoryRow> rows) override;
    std::vector<HistoryRow> selectHistory(const std::string &monitorId, std::int64_t from, std::int64_t to,
                                          std::size_t maxRows) override;
    int deleteHistory(const std::string &monitorId, std::int64_t from, std::int64_t to) override;
    void dropHistoryBefore(std::int64_t time) override;
    void saveCounters(const std::string &group, const std::vector<std::pair<std::string, std::int64_t>> &counters) override;
    std::vector<std::pair<std::string, std::int64_t>> loadCounters(const std::string &group) override;
    StorageInfo info() override;

private:
    class Transaction;
    struct Params;
    // The connection a thread holds while it has a transaction open.
    struct Binding
    {
        std::unique_ptr<PgConnection> connection;
        int depth = 0;
        bool inTransaction = false;
        bool lost = false;
    };

    // Runs sql with $n bound to params on this thread's connection or a
    // borrowed one; what says what failed. Throws StorageError.
    PgResult exec(const std::string &what, const std::string &sql, const Params &params);
    PgResult exec(const std::string &what, const std::string &sql);
    Binding *bound();
    Binding &bind();
    void unbind();
    [[noreturn]] void fail(const std::string &what, const PgError &error) const;
    void checkOpen() const;

    void createOrUpgrade(const TableDefinition &definition);
    void createHistory();
    int readSchemaVersion();
    const StoredTable &table(const TableDefinition &definition) const;
    std::string whereClause(const StoredTable &table, const Filter &filter, Params &params) const;
    void readRows(const TableDefinition &definition, const Filter &filter, RowOrder order, std::int64_t after,
                  std::size_t limit, const std::function<void(std::unique_ptr<MtxRecord>, std::int64_t)> &take);

    std::string m_connectionString;
    MtxFactory &m_factory;
    PgPool m_pool;
    std::string m_displayName;
    std::atomic<bool> m_open{false};
    std::mutex m_bindingsLock;
    std::unordered_map<std::thread::id, Binding> m_bindings;
    std::map<const TableDefinition *, std::unique_ptr<StoredTable>> m_tables;
    HistoryPartitions m_partitions;
};
