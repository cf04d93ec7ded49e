#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "server/storage/historyrow.h"
#include "server/storage/tabledefinition.h"

// A failure of the storage itself (disk, corruption, a broken unique key, a
// database server that cannot be reached).
class StorageError : public std::runtime_error
{
public:
    enum Kind { General, Constraint, Unavailable };
    StorageError(Kind kind, const std::string &what) : std::runtime_error(what), m_kind(kind) {}
    Kind kind() const { return m_kind; }

private:
    Kind m_kind;
};

// Holds the storage for one unit of work. A write transaction that is destroyed
// without commit() is rolled back.
class StorageTransaction
{
public:
    virtual ~StorageTransaction();
    virtual void commit() = 0;
};

struct StorageInfo
{
    std::string location;
    std::int64_t sizeBytes = 0;
    int schemaVersion = 0;
};

// Record tables behind one interface, so that another database can stand in
// for SQLite. Every operation is atomic on its own; a transaction groups them.
// Text is handed in and out in the code page of the wire objects.
class Storage
{
public:
    virtual ~Storage();

    // Creates or upgrades the tables; throws StorageError.
    virtual void open(std::span<const TableDefinition *const> tables) = 0;
    // Flushes and closes; further calls fail.
    virtual void close() = 0;

    virtual std::unique_ptr<StorageTransaction> begin(bool write) = 0;

    virtual void insert(const TableDefinition &table, const MtxRecord &record) = 0;
    // Replaces every stored field of the matching rows with record's; returns the row count.
    virtual int update(const TableDefinition &table, const Filter &filter, const MtxRecord &record) = 0;
    // Sets only the given fields (index, value) of the matching rows; returns the row count.
    virtual int updateFields(const TableDefinition &table, const Filter &filter,
                             const std::vector<std::pair<int, std::string>> &fields) = 0;
    virtual int remove(const TableDefinition &table, const Filter &filter) = 0;
    virtual std::vector<std::unique_ptr<MtxRecord>> select(const TableDefinition &table, const Filter &filter,
                                                           RowOrder order = RowOrder::Insertion) = 0;
    // Like select in insertion order, one row at a time, so that a large table
    // is read without holding all of it; visit must not use the storage.
    virtual void forEach(const TableDefinition &table, const Filter &filter,
                         const std::function<void(const MtxRecord &)> &visit) = 0;
    virtual std::int64_t count(const TableDefinition &table, const Filter &filter) = 0;
    // Row counts per distinct value of field.
    virtual std::vector<std::pair<std::string, std::int64_t>> countBy(const TableDefinition &table, int field,
                                                                      const Filter &filter) = 0;
    // Values of one field of the matching rows, in insertion order, without repeats.
    virtual std::vector<std::string> distinct(const TableDefinition &table, int field, const Filter &filter) = 0;

    // Monitor history, kept apart from the record tables: adds the rows in
    // one transaction (joining the caller's if one is open).
    virtual void appendHistory(std::span<const HistoryRow> rows) = 0;
    // One monitor's rows with from <= time <= to, oldest first, at most maxRows.
    virtual std::vector<HistoryRow> selectHistory(const std::string &monitorId, std::int64_t from, std::int64_t to,
                                                  std::size_t maxRows) = 0;
    // Removes one monitor's rows with from <= time <= to; returns how many.
    virtual int deleteHistory(const std::string &monitorId, std::int64_t from, std::int64_t to) = 0;
    // Removes every monitor's rows with time < time (the retention of history).
    virtual void dropHistoryBefore(std::int64_t time) = 0;

    // Named counters in groups (the alert rules' counts of matching results):
    // stores or replaces each, a zero removes it; load gives a group's counters.
    virtual void saveCounters(const std::string &group, const std::vector<std::pair<std::string, std::int64_t>> &counters) = 0;
    virtual std::vector<std::pair<std::string, std::int64_t>> loadCounters(const std::string &group) = 0;

    virtual StorageInfo info() = 0;
};
