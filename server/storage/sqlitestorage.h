#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "server/storage/sqliteconnection.h"
#include "server/storage/sqlitereaderpool.h"
#include "server/storage/sqlitewriter.h"
#include "server/storage/storage.h"

struct sqlite3_stmt;
class MtxFactory;

// Storage in one SQLite file, through SQLite's C API (no Qt in the server).
// The file runs in WAL mode with full sync, so a committed change survives the
// process being killed. One writer connection takes every change, one thread
// at a time (a single writer is what SQLite allows), and changes that queue
// for it share one sync; reads run on connections of their own beside it,
// each read transaction on one snapshot. A read inside a write transaction of
// the same thread goes to the writer and sees that transaction's changes.
// Text is kept as UTF-8 so the file reads the same under any code page.
class SqliteStorage : public Storage
{
public:
    static constexpr std::size_t DefaultReaders = 8;

    // factory creates the items of embedded objects (arrays) when rows are
    // read; at most readers connections read at once.
    SqliteStorage(std::string path, MtxFactory &factory, std::size_t readers = DefaultReaders);
    ~SqliteStorage() override;

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
    class Reading;
    struct Binding;

    // This thread's open transaction on this storage, if any.
    Binding *bound() const;
    // The transactions of this thread, innermost last (rarely more than one).
    static thread_local std::vector<Binding *> t_bindings;
    const Table &table(const TableDefinition &definition) const;
    void removeLeftovers();
    void useWriteAheadLog();
    void createOrUpgrade(const TableDefinition &definition);
    void createHistory();
    int readSchemaVersion(SqliteConnection &connection);
    std::string whereClause(const Table &table, const Filter &filter) const;
    void bindFilter(sqlite3_stmt *statement, int &index, const Filter &filter) const;
    // Prepares head + the filter's WHERE clause + tail, its values bound.
    sqlite3_stmt *prepareFiltered(SqliteConnection &connection, const std::string &head, const Table &table,
                                  const Filter &filter, const std::string &tail = {});
    void bindRecord(sqlite3_stmt *statement, int &index, const Table &table, const MtxRecord &record) const;
    std::unique_ptr<MtxRecord> readRow(sqlite3_stmt *statement, const Table &table) const;
    void readRows(const TableDefinition &definition, const Filter &filter, RowOrder order,
                  const std::function<void(std::unique_ptr<MtxRecord>)> &take);

    std::string m_path;
    MtxFactory &m_factory;
    SqliteWriter m_writer;
    SqliteReaderPool m_readers;
    std::map<const TableDefinition *, std::unique_ptr<Table>> m_tables;
};
