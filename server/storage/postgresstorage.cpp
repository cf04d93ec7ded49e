#include "server/storage/postgresstorage.h"

#include <algorithm>
#include <climits>
#include <ctime>
#include <set>

#include "server/storage/storedtable.h"
#include "server/storage/storedtext.h"

using namespace storedtext;

// Statement parameters, numbered $1, $2, … in the order they are added.
struct PostgresStorage::Params
{
    std::vector<std::string> values;
    std::vector<bool> present;

    std::string add(std::string value)
    {
        values.push_back(std::move(value));
        present.push_back(true);
        return "$" + std::to_string(values.size());
    }
    // A sortable time, or NULL when the text held none.
    std::string addTime(std::int64_t time)
    {
        std::string placeholder = add(std::to_string(time));
        present.back() = time >= 0;
        return placeholder;
    }
};

class PostgresStorage::Transaction : public StorageTransaction
{
public:
    Transaction(PostgresStorage &storage, bool write) : m_storage(storage), m_binding(storage.bind())
    {
        // Only the outermost write transaction talks to PostgreSQL; inner ones join it.
        if (!write || m_binding.inTransaction)
            return;
        try {
            m_storage.exec("cannot begin a transaction", "BEGIN");
            m_binding.inTransaction = true;
            m_owner = true;
            m_storage.exec("cannot wait for the other writers",
                           "SELECT pg_advisory_xact_lock(" + std::to_string(WriteLock) + ")");
        } catch (...) {
            end();
            throw;
        }
    }
    ~Transaction() override { end(); }

    void commit() override
    {
        if (m_owner && !m_done) {
            m_done = true;
            // Still in the transaction while COMMIT runs: a lost connection
            // must not be retried, the outcome is unknown.
            try {
                m_storage.exec("cannot commit", "COMMIT");
            } catch (...) {
                m_binding.inTransaction = false;
                m_storage.m_partitions.forget();
                throw;
            }
            m_binding.inTransaction = false;
        }
        m_done = true;
    }

private:
    void end()
    {
        if (m_owner && !m_done) {
            m_done = true;
            try {
                m_storage.exec("cannot roll back", "ROLLBACK");
            } catch (const StorageError &) {
                // the connection is gone, and the transaction with it
            }
            m_binding.inTransaction = false;
            // Partitions made in the transaction went with it.
            m_storage.m_partitions.forget();
        }
        if (!m_unbound) {
            m_unbound = true;
            m_storage.unbind();
        }
    }

    PostgresStorage &m_storage;
    Binding &m_binding;
    bool m_owner = false;
    bool m_done = false;
    bool m_unbound = false;
};

PostgresStorage::PostgresStorage(std::string connectionString, MtxFactory &factory, std::size_t maxConnections)
    : m_connectionString(connectionString), m_factory(factory), m_pool(std::move(connectionString), maxConnections)
{
}

PostgresStorage::~PostgresStorage()
{
    close();
}

void PostgresStorage::fail(const std::string &what, const PgError &error) const
{
    StorageError::Kind kind = StorageError::General;
    if (error.connectionLost())
        kind = StorageError::Unavailable;
    else if (error.sqlState().starts_with("23"))
        kind = StorageError::Constraint;
    throw StorageError(kind, what + ": " + error.what());
}

void PostgresStorage::checkOpen() const
{
    if (!m_open)
        throw StorageError(StorageError::General, "the database " + m_displayName + " is not open");
}

PostgresStorage::Binding *PostgresStorage::bound()
{
    std::lock_guard hold(m_bindingsLock);
    auto found = m_bindings.find(std::this_thread::get_id());
    return found == m_bindings.end() ? nullptr : &found->second;
}

PostgresStorage::Binding &PostgresStorage::bind()
{
    checkOpen();
    if (Binding *binding = bound()) {
        ++binding->depth;
        return *binding;
    }
    Binding binding;
    try {
        binding.connection = m_pool.take();
    } catch (const PgError &error) {
        fail("cannot reach the database", error);
    }
    binding.depth = 1;
    std::lock_guard hold(m_bindingsLock);
    return m_bindings.emplace(std::this_thread::get_id(), std::move(binding)).first->second;
}

void PostgresStorage::unbind()
{
    std::unique_lock hold(m_bindingsLock);
    auto found = m_bindings.find(std::this_thread::get_id());
    if (found == m_bindings.end() || --found->second.depth > 0)
        return;
    Binding binding = std::move(found->second);
    m_bindings.erase(found);
    hold.unlock();
    m_pool.give(std::move(binding.connection), binding.lost);
}

PgResult PostgresStorage::exec(const std::string &what, const std::string &sql)
{
    return exec(what, sql, Params{});
}

PgResult PostgresStorage::exec(const std::string &what, const std::string &sql, const Params &params)
{
    checkOpen();
    Binding *binding = bound();
    std::unique_ptr<PgConnection> borrowed;
    try {
        if (!binding)
            borrowed = m_pool.take();
    } catch (const PgError &error) {
        fail(what, error);
    }
    PgConnection &connection = binding ? *binding->connection : *borrowed;
    // Outside an open transaction nothing has changed yet when the connection
    // turns out lost (after a restart of the server, say): it is reset and
    // the statement tried once more. Inside one the outcome is refused.
    const bool retryable = !binding || !binding->inTransaction;
    for (int attempt = 1;; ++attempt) {
        try {
            // Statements with parameters are the ones run again and again.
            PgResult result = params.values.empty() ? connection.exec(sql)
                                                    : connection.execPrepared(sql, params.values, params.present);
            if (borrowed)
                m_pool.give(std::move(borrowed), false);
            return result;
        } catch (const PgError &error) {
            bool lost = error.connectionLost();
            if (lost && retryable && attempt == 1) {
                m_pool.clear(); // the idle ones are most likely dead as well
                try {
                    connection.reset();
                    continue;
                } catch (const PgError &) {
                    // still unreachable: refused below
                }
            }
            if (binding)
                binding->lost = binding->lost || lost;
            else
                m_pool.give(std::move(borrowed), lost);
            fail(what, error);
        }
    }
}

void PostgresStorage::open(std::span<const TableDefinition *const> tables)
{
    try {
        PgConnection first(m_connectionString);
        m_displayName = first.displayName();
    } catch (const PgError &error) {
        throw StorageError(StorageError::Unavailable, error.what());
    }
    m_open = true;
    try {
        Transaction transaction(*this, true);
        exec("cannot create the schema table", "CREATE TABLE IF NOT EXISTS keel_schema (version INTEGER NOT NULL)");
        const int version = readSchemaVersion();
        StoredTable::checkSchemaVersion(m_displayName, version);
        for (const TableDefinition *definition : tables)
            createOrUpgrade(*definition);
        createHistory();
        if (const std::string record = StoredTable::recordSchemaVersion(version); !record.empty())
            exec("cannot record the schema version", record);
        transaction.commit();
    } catch (...) {
        close();
        throw;
    }
}

int PostgresStorage::readSchemaVersion()
{
    PgResult result = exec("cannot read the schema version of " + m_displayName,
                           "SELECT COALESCE(MAX(version), 0) FROM keel_schema");
    return int(result.integer(0, 0));
}

void PostgresStorage::createOrUpgrade(const TableDefinition &definition)
{
    auto table = std::make_unique<StoredTable>(definition);
    const std::string what = std::string("cannot create or upgrade table ") + definition.name;
    std::string create = "CREATE TABLE IF NOT EXISTS " + table->name() + " (";
    for (const std::string &column : table->columns())
        create += quoted(column) + " TEXT NOT NULL DEFAULT '', ";
    // _row keeps the insertion order that SQLite's rowid gives.
    create += "_time BIGINT, _row BIGSERIAL)";
    exec(what, create);

    // Columns that a newer record layout added are appended to an older table.
    Params params;
    PgResult existing = exec(what, "SELECT lower(column_name) FROM information_schema.columns "
                                   "WHERE table_schema = current_schema() AND table_name = " + params.add(definition.name),
                             params);
    std::set<std::string, std::less<>> names;
    for (int row = 0; row < existing.rows(); ++row)
        names.emplace(existing.value(row, 0));
    for (const std::string &column : table->columns())
        if (!names.count(lower(column)))
            exec(what, "ALTER TABLE " + table->name() + " ADD COLUMN " + quoted(column) + " TEXT NOT NULL DEFAULT ''");
    if (!names.count("_time"))
        exec(what, "ALTER TABLE " + table->name() + " ADD COLUMN _time BIGINT");
    if (!names.count("_row"))
        exec(what, "ALTER TABLE " + table->name() + " ADD COLUMN _row BIGSERIAL");

    for (const std::string &statement : table->indexStatements())
        exec(what, statement);
    exec(what, "CREATE INDEX IF NOT EXISTS " + quoted(std::string(definition.name) + "__row") + " ON "
                   + table->name() + " (_row)");
    m_tables[&definition] = std::move(table);
}

void PostgresStorage::close()
{
    m_open = false;
    m_pool.clear();
}

std::unique_ptr<StorageTransaction> PostgresStorage::begin(bool write)
{
    return std::make_unique<Transaction>(*this, write);
}

const StoredTable &PostgresStorage::table(const TableDefinition &definition) const
{
    auto found = m_tables.find(&definition);
    if (found == m_tables.end())
        throw StorageError(StorageError::General, std::string("table ") + definition.name + " was not opened");
    return *found->second;
}

std::string PostgresStorage::whereClause(const StoredTable &table, const Filter &filter, Params &params) const
{
    std::string where;
    for (const Filter::Condition &condition : filter.conditions()) {
        where += where.empty() ? " WHERE " : " AND ";
        switch (condition.op) {
        case Filter::Condition::Equal:
            where += quoted(table.columns().at(condition.field)) + " = " + params.add(toStored(condition.values.at(0)));
            break;
        case Filter::Condition::OneOf:
            if (condition.values.empty()) {
                where += "FALSE";
                break;
            }
            where += quoted(table.columns().at(condition.field)) + " IN (";
            for (std::size_t i = 0; i < condition.values.size(); ++i)
                where += (i ? ", " : "") + params.add(toStored(condition.values[i]));
            where += ")";
            break;
        case Filter::Condition::TimeFrom:
            where += "_time >= " + params.add(std::to_string(condition.time));
            break;
        case Filter::Condition::TimeTo:
            where += "_time <= " + params.add(std::to_string(condition.time));
            break;
        }
    }
    return where;
}

void PostgresStorage::insert(const TableDefinition &definition, const MtxRecord &record)
{
    const StoredTable &t = table(definition);
    Params params;
    std::string sql = "INSERT INTO " + t.name() + " (" + t.columnList() + ", _time) VALUES (";
    for (std::string &value : t.values(record))
        sql += params.add(std::move(value)) + ", ";
    sql += params.addTime(t.time(record)) + ")";
    Transaction transaction(*this, true);
    exec(std::string("cannot add a row to ") + definition.name, sql, params);
    transaction.commit();
}

int PostgresStorage::update(const TableDefinition &definition, const Filter &filter, const MtxRecord &record)
{
    const StoredTable &t = table(definition);
    Params params;
    std::string sql = "UPDATE " + t.name() + " SET ";
    std::vector<std::string> values = t.values(record);
    for (std::size_t i = 0; i < values.size(); ++i)
        sql += quoted(t.columns()[i]) + " = " + params.add(std::move(values[i])) + ", ";
    sql += "_time = " + params.addTime(t.time(record));
    sql += whereClause(t, filter, params);
    Transaction transaction(*this, true);
    const auto changed = exec(std::string("cannot change rows of ") + definition.name, sql, params).affectedRows();
    transaction.commit();
    return int(changed);
}

int PostgresStorage::updateFields(const TableDefinition &definition, const Filter &filter,
                                  const std::vector<std::pair<int, std::string>> &fields)
{
    const StoredTable &t = table(definition);
    if (fields.empty())
        return 0;
    Params params;
    std::string sql = "UPDATE " + t.name() + " SET ";
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const auto &[field, value] = fields[i];
        if (field < 0 || std::size_t(field) >= t.fieldCount())
            throw StorageError(StorageError::General,
                               std::string("table ") + definition.name + " has no field " + std::to_string(field));
        sql += (i ? ", " : "") + quoted(t.columns()[field]) + " = " + params.add(toStored(value));
        if (field == t.timeField())
            sql += ", _time = " + params.addTime(sortableTime(value));
    }
    sql += whereClause(t, filter, params);
    Transaction transaction(*this, true);
    const auto changed = exec(std::string("cannot change rows of ") + definition.name, sql, params).affectedRows();
    transaction.commit();
    return int(changed);
}

int PostgresStorage::remove(const TableDefinition &definition, const Filter &filter)
{
    const StoredTable &t = table(definition);
    Params params;
    const std::string sql = "DELETE FROM " + t.name() + whereClause(t, filter, params);
    Transaction transaction(*this, true);
    const auto removed = exec(std::string("cannot remove rows of ") + definition.name, sql, params).affectedRows();
    transaction.commit();
    return int(removed);
}

void PostgresStorage::readRows(const TableDefinition &definition, const Filter &filter, RowOrder order,
                               std::int64_t after, std::size_t limit,
                               const std::function<void(std::unique_ptr<MtxRecord>, std::int64_t)> &take)
{
    const StoredTable &t = table(definition);
    // Rows without a time come first in time order, as SQLite puts NULL lowest.
    static const char *const orderBy[] = {" ORDER BY _row", " ORDER BY _time NULLS FIRST, _row",
                                          " ORDER BY _time DESC NULLS LAST, _row DESC"};
    Params params;
    std::string sql = "SELECT " + t.columnList() + ", _row FROM " + t.name() + whereClause(t, filter, params);
    if (after > 0)
        sql += std::string(filter.conditions().empty() ? " WHERE" : " AND") + " _row > " + params.add(std::to_string(after));
    sql += orderBy[int(order)];
    if (limit)
        sql += " LIMIT " + std::to_string(limit);
    PgResult result = exec(std::string("cannot read rows of ") + definition.name, sql, params);
    const int rowColumn = int(t.columns().size());
    for (int row = 0; row < result.rows(); ++row)
        take(t.read([&](int column) { return result.value(row, column); }, m_factory), result.integer(row, rowColumn));
}

std::vector<std::unique_ptr<MtxRecord>> PostgresStorage::select(const TableDefinition &definition,
                                                                const Filter &filter, RowOrder order)
{
    std::vector<std::unique_ptr<MtxRecord>> rows;
    readRows(definition, filter, order, 0, 0,
             [&](std::unique_ptr<MtxRecord> row, std::int64_t) { rows.push_back(std::move(row)); });
    return rows;
}

void PostgresStorage::forEach(const TableDefinition &definition, const Filter &filter,
                              const std::function<void(const MtxRecord &)> &visit)
{
    // Read in pages along the insertion order, so a large table is never held whole.
    constexpr std::size_t PageRows = 2000;
    std::int64_t last = 0;
    for (;;) {
        std::size_t rows = 0;
        readRows(definition, filter, RowOrder::Insertion, last, PageRows,
                 [&](std::unique_ptr<MtxRecord> row, std::int64_t position) {
                     visit(*row);
                     last = position;
                     ++rows;
                 });
        if (rows < PageRows)
            return;
    }
}

std::int64_t PostgresStorage::count(const TableDefinition &definition, const Filter &filter)
{
    const StoredTable &t = table(definition);
    Params params;
    const std::string sql = "SELECT COUNT(*) FROM " + t.name() + whereClause(t, filter, params);
    return exec(std::string("cannot count rows of ") + definition.name, sql, params).integer(0, 0);
}

std::vector<std::pair<std::string, std::int64_t>> PostgresStorage::countBy(const TableDefinition &definition,
                                                                           int field, const Filter &filter)
{
    const StoredTable &t = table(definition);
    const std::string column = quoted(t.columns().at(field));
    Params params;
    // Byte order, as SQLite sorts text, whatever the database's collation.
    const std::string sql = "SELECT " + column + ", COUNT(*) FROM " + t.name() + whereClause(t, filter, params)
                            + " GROUP BY " + column + " ORDER BY " + column + " COLLATE \"C\"";
    PgResult result = exec(std::string("cannot count rows of ") + definition.name, sql, params);
    std::vector<std::pair<std::string, std::int64_t>> counts;
    for (int row = 0; row < result.rows(); ++row)
        counts.emplace_back(fromStored(result.value(row, 0)), result.integer(row, 1));
    return counts;
}

std::vector<std::string> PostgresStorage::distinct(const TableDefinition &definition, int field, const Filter &filter)
{
    const StoredTable &t = table(definition);
    const std::string column = quoted(t.columns().at(field));
    Params params;
    const std::string sql = "SELECT " + column + " FROM " + t.name() + whereClause(t, filter, params) + " GROUP BY "
                            + column + " ORDER BY MIN(_row)";
    PgResult result = exec(std::string("cannot read values of ") + definition.name, sql, params);
    std::vector<std::string> values;
    for (int row = 0; row < result.rows(); ++row)
        values.push_back(fromStored(result.value(row, 0)));
    return values;
}

StorageInfo PostgresStorage::info()
{
    StorageInfo info;
    info.location = m_displayName;
    if (m_open) {
        info.sizeBytes = exec("cannot read the size of " + m_displayName,
                              "SELECT pg_database_size(current_database())")
                             .integer(0, 0);
        info.schemaVersion = readSchemaVersion();
    }
    return info;
}

void PostgresStorage::createHistory()
{
    const std::string what = "cannot create the history tables";
    exec(what, "CREATE TABLE IF NOT EXISTS keel_history (monitor TEXT NOT NULL, type TEXT NOT NULL, "
               "time BIGINT NOT NULL, state INTEGER NOT NULL, remark TEXT NOT NULL, vals TEXT NOT NULL, "
               "_row BIGSERIAL) PARTITION BY RANGE (time)");
    exec(what, "CREATE INDEX IF NOT EXISTS keel_history_monitor_time ON keel_history (monitor, time)");
    exec(what, "CREATE TABLE IF NOT EXISTS keel_counters (grp TEXT NOT NULL, name TEXT NOT NULL, "
               "value BIGINT NOT NULL, PRIMARY KEY (grp, name))");
    const auto run = [&](const std::string &sql) { return exec(what, sql); };
    m_partitions.load(run);
    m_partitions.ensure({HistoryPartitions::dayOf(std::time(nullptr))}, run);
}

void PostgresStorage::appendHistory(std::span<const HistoryRow> rows)
{
    if (rows.empty())
        return;
    Transaction transaction(*this, true);
    std::set<std::int64_t> days;
    for (const HistoryRow &row : rows)
        days.insert(HistoryPartitions::dayOf(row.time));
    m_partitions.ensure(days, [&](const std::string &sql) { return exec("cannot add a day to the history", sql); });
    // Many rows per statement: one round trip for a whole batch of results.
    constexpr std::size_t RowsPerStatement = 500;
    for (std::size_t first = 0; first < rows.size(); first += RowsPerStatement) {
        Params params;
        std::string sql = "INSERT INTO keel_history (monitor, type, time, state, remark, vals) VALUES ";
        const std::size_t last = std::min(rows.size(), first + RowsPerStatement);
        for (std::size_t i = first; i < last; ++i) {
            const HistoryRow &row = rows[i];
            sql += (i > first ? ", (" : "(") + params.add(row.monitorId) + ", " + params.add(row.monitorType) + ", "
                   + params.add(std::to_string(row.time)) + ", " + params.add(std::to_string(row.state)) + ", "
                   + params.add(toStored(row.remark)) + ", " + params.add(joinValues(row.values)) + ")";
        }
        exec("cannot add history of monitor " + rows[first].monitorId, sql, params);
    }
    transaction.commit();
}

std::vector<HistoryRow> PostgresStorage::selectHistory(const std::string &monitorId, std::int64_t from,
                                                       std::int64_t to, std::size_t maxRows)
{
    Params params;
    const std::string sql = "SELECT type, time, state, remark, vals FROM keel_history WHERE monitor = "
                            + params.add(monitorId) + " AND time >= " + params.add(std::to_string(from))
                            + " AND time <= " + params.add(std::to_string(to)) + " ORDER BY time, _row LIMIT "
                            + params.add(std::to_string(std::min<std::size_t>(maxRows, INT64_MAX)));
    PgResult result = exec("cannot read the history of monitor " + monitorId, sql, params);
    std::vector<HistoryRow> rows;
    rows.reserve(std::size_t(result.rows()));
    for (int i = 0; i < result.rows(); ++i) {
        HistoryRow row;
        row.monitorId = monitorId;
        row.monitorType = std::string(result.value(i, 0));
        row.time = result.integer(i, 1);
        row.state = int(result.integer(i, 2));
        row.remark = fromStored(result.value(i, 3));
        row.values = splitValues(result.value(i, 4));
        rows.push_back(std::move(row));
    }
    return rows;
}

int PostgresStorage::deleteHistory(const std::string &monitorId, std::int64_t from, std::int64_t to)
{
    Params params;
    const std::string sql = "DELETE FROM keel_history WHERE monitor = " + params.add(monitorId) + " AND time >= "
                            + params.add(std::to_string(from)) + " AND time <= " + params.add(std::to_string(to));
    Transaction transaction(*this, true);
    const auto removed = exec("cannot delete the history of monitor " + monitorId, sql, params).affectedRows();
    transaction.commit();
    return int(removed);
}

void PostgresStorage::dropHistoryBefore(std::int64_t time)
{
    const std::string what = "cannot remove old history";
    Transaction transaction(*this, true);
    m_partitions.dropBefore(time, [&](const std::string &sql) { return exec(what, sql); });
    // What is left before time lies in the one partition that time falls in.
    Params params;
    exec(what, "DELETE FROM keel_history WHERE time < " + params.add(std::to_string(time)), params);
    transaction.commit();
}

void PostgresStorage::saveCounters(const std::string &group,
                                   const std::vector<std::pair<std::string, std::int64_t>> &counters)
{
    if (counters.empty())
        return;
    Transaction transaction(*this, true);
    for (const auto &[name, value] : counters) {
        Params params;
        const std::string keys = params.add(group) + ", " + params.add(name);
        if (value)
            exec("cannot store the counter " + name,
                 "INSERT INTO keel_counters (grp, name, value) VALUES (" + keys + ", " + params.add(std::to_string(value))
                     + ") ON CONFLICT (grp, name) DO UPDATE SET value = EXCLUDED.value",
                 params);
        else
            exec("cannot store the counter " + name, "DELETE FROM keel_counters WHERE (grp, name) = (" + keys + ")",
                 params);
    }
    transaction.commit();
}

std::vector<std::pair<std::string, std::int64_t>> PostgresStorage::loadCounters(const std::string &group)
{
    Params params;
    PgResult result = exec("cannot read the counters " + group,
                           "SELECT name, value FROM keel_counters WHERE grp = " + params.add(group)
                               + " ORDER BY name COLLATE \"C\"",
                           params);
    std::vector<std::pair<std::string, std::int64_t>> counters;
    for (int row = 0; row < result.rows(); ++row)
        counters.emplace_back(std::string(result.value(row, 0)), result.integer(row, 1));
    return counters;
}
