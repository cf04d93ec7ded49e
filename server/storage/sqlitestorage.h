#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "server/storage/storage.h"

struct sqlite3;
struct sqlite3_stmt;
class MtxFactory;

// Storage in one SQLite file, through SQLite's C API (no Qt in the server).
// One connection serves every thread under a lock: requests are short, and a
// single writer is what SQLite allows anyway. The file runs in WAL mode with
// full sync, so a committed change survives the process being killed.
// Text is kept as UTF-8 so the file reads the same under any code page.
class SqliteStorage : public Storage
{
public:
    // factory creates the items of embedded objects (arrays) when rows are read.
    SqliteStorage(std::string path, MtxFactory &factory);
    ~SqliteStorage() override;

    static constexpr int SchemaVersion = 1;

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
    struct Table;
    class Statement;

    const Table &table(const TableDefinition &definition) const;
    sqlite3_stmt *prepare(const std::string &sql);
    void exec(const std::string &sql);
    void useWriteAheadLog();
    [[noreturn]] void fail(const std::string &what, int rc) const;
    void createOrUpgrade(const TableDefinition &definition);
    void createHistory();
    int readSchemaVersion();
    std::string whereClause(const Table &table, const Filter &filter) const;
    void bindFilter(sqlite3_stmt *statement, int &index, const Filter &filter) const;
    // Prepares head + the filter's WHERE clause + tail, its values bound.
    sqlite3_stmt *prepareFiltered(const std::string &head, const Table &table, const Filter &filter,
                                  const std::string &tail = {});
    void bindRecord(sqlite3_stmt *statement, int &index, const Table &table, const MtxRecord &record) const;
    std::unique_ptr<MtxRecord> readRow(sqlite3_stmt *statement, const Table &table) const;
    void readRows(const TableDefinition &definition, const Filter &filter, RowOrder order,
                  const std::function<void(std::unique_ptr<MtxRecord>)> &take);

    std::string m_path;
    MtxFactory &m_factory;
    sqlite3 *m_db = nullptr;
    std::recursive_mutex m_lock;
    std::map<const TableDefinition *, std::unique_ptr<Table>> m_tables;
    std::unordered_map<std::string, sqlite3_stmt *> m_statements;
};
