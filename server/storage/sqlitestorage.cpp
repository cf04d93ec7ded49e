#include "server/storage/sqlitestorage.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>

#include "server/storage/sqlitestorage_p.h"
#include "server/storage/storedtable.h"
#include "server/storage/storedtext.h"

StorageTransaction::~StorageTransaction() = default;
Storage::~Storage() = default;

using namespace storedtext;

namespace {

std::string_view columnText(sqlite3_stmt *statement, int column)
{
    auto text = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
    return {text ? text : "", std::size_t(sqlite3_column_bytes(statement, column))};
}

} // namespace

// What the storage knows of one table: its columns, and which fields have an
// index for the planner choice in whereClause.
struct SqliteStorage::Table
{
    explicit Table(const TableDefinition &definition) : stored(definition)
    {
        for (const char *field : definition.uniqueKey)
            keyFields.push_back(stored.fieldIndex(field));
        for (const char *field : definition.indexed)
            indexed.push_back(stored.fieldIndex(field));
    }

    StoredTable stored;
    std::vector<int> keyFields; // the unique key, in index order
    std::vector<int> indexed;   // fields with an index of their own

    bool isIndexed(int field) const { return std::find(indexed.begin(), indexed.end(), field) != indexed.end(); }
    bool isKey(int field) const { return std::find(keyFields.begin(), keyFields.end(), field) != keyFields.end(); }
    const std::vector<std::string> &columns() const { return stored.columns(); }
    std::string name() const { return stored.name(); }
};

SqliteStorage::SqliteStorage(std::string path, MtxFactory &factory, std::size_t readers)
    : m_path(std::move(path)), m_factory(factory), m_writer(m_path), m_readers(m_path, readers)
{
}

SqliteStorage::~SqliteStorage()
{
    close();
}

void SqliteStorage::useWriteAheadLog()
{
    sqlite3 *writer = m_writer.connection().handle();
    if (sqlite3_exec(writer, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr) != SQLITE_OK)
        throw StorageError(StorageError::General, "cannot switch " + m_path + " to write-ahead logging: "
                                                      + sqlite3_errmsg(writer)
                                                      + " (is another server still using it? stop it, then start again)");
}

void SqliteStorage::removeLeftovers()
{
    // The -wal and -shm files of a database that was removed are not part of
    // a new one of the same name. SQLite would still share the -shm file with
    // a process that has the removed database open (an old server that has
    // not ended yet), read that database's write-ahead log and fail with
    // "disk I/O error". A database in WAL mode always has its main file, so
    // without it these files hold nothing to keep.
    struct stat status {};
    if (::stat(m_path.c_str(), &status) == 0 || errno != ENOENT)
        return;
    for (const char *suffix : {"-wal", "-shm"}) {
        const std::string leftover = m_path + suffix;
        if (::unlink(leftover.c_str()) != 0 && errno != ENOENT)
            throw StorageError(StorageError::General, "cannot remove " + leftover + ", left by a removed database: "
                                                          + std::strerror(errno) + " (remove it, then start again)");
    }
}

void SqliteStorage::open(std::span<const TableDefinition *const> tables)
{
    removeLeftovers();
    SqliteConnection &writer = m_writer.connection();
    writer.open(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX);
    useWriteAheadLog();
    writer.exec("PRAGMA synchronous=FULL");

    Transaction transaction(*this, true);
    writer.exec("CREATE TABLE IF NOT EXISTS keel_schema (version INTEGER NOT NULL)");
    const int version = readSchemaVersion(writer);
    StoredTable::checkSchemaVersion(m_path, version);
    for (const TableDefinition *definition : tables)
        createOrUpgrade(*definition);
    createHistory();
    if (const std::string record = StoredTable::recordSchemaVersion(version); !record.empty())
        writer.exec(record);
    transaction.commit();
    m_readers.start();
}

int SqliteStorage::readSchemaVersion(SqliteConnection &connection)
{
    Statement statement(connection.prepare("SELECT MAX(version) FROM keel_schema"));
    int rc = sqlite3_step(statement);
    if (rc != SQLITE_ROW)
        connection.fail("cannot read the schema version of " + m_path, rc);
    return sqlite3_column_int(statement, 0);
}

void SqliteStorage::createOrUpgrade(const TableDefinition &definition)
{
    SqliteConnection &writer = m_writer.connection();
    auto table = std::make_unique<Table>(definition);

    std::string create = "CREATE TABLE IF NOT EXISTS " + table->name() + " (";
    for (const std::string &column : table->columns())
        create += quoted(column) + " TEXT NOT NULL DEFAULT '', ";
    create += "_time INTEGER)";
    writer.exec(create);

    // Columns that a newer record layout added are appended to an older table.
    std::set<std::string> existing;
    {
        Statement info(writer.prepare("SELECT name FROM pragma_table_info('" + std::string(definition.name) + "')"));
        while (sqlite3_step(info) == SQLITE_ROW)
            existing.insert(lower(reinterpret_cast<const char *>(sqlite3_column_text(info, 0))));
    }
    for (const std::string &column : table->columns())
        if (!existing.count(lower(column)))
            writer.exec("ALTER TABLE " + table->name() + " ADD COLUMN " + quoted(column) + " TEXT NOT NULL DEFAULT ''");
    if (!existing.count("_time"))
        writer.exec("ALTER TABLE " + table->name() + " ADD COLUMN _time INTEGER");

    for (const std::string &statement : table->stored.indexStatements())
        writer.exec(statement);
    m_tables[&definition] = std::move(table);
}

void SqliteStorage::close()
{
    // Readers first: the writer, closing last, checkpoints the WAL into the main file.
    m_readers.close();
    m_writer.close();
}

std::unique_ptr<StorageTransaction> SqliteStorage::begin(bool write)
{
    if (!m_writer.connection().isOpen())
        throw StorageError(StorageError::General, "the database " + m_path + " is not open");
    return std::make_unique<Transaction>(*this, write);
}

const SqliteStorage::Table &SqliteStorage::table(const TableDefinition &definition) const
{
    auto found = m_tables.find(&definition);
    if (found == m_tables.end())
        throw StorageError(StorageError::General, std::string("table ") + definition.name + " was not opened");
    return *found->second;
}

std::string SqliteStorage::whereClause(const Table &table, const Filter &filter) const
{
    // Without statistics SQLite may look rows up by any index of the filter's
    // columns, even one that matches most of the table (the elements of
    // Type "5"). So of the columns with an index of their own only the first
    // condition's keeps it ("+" hides a column's index from the planner), and
    // none does when the filter gives the whole unique key.
    const auto &conditions = filter.conditions();
    bool indexChosen = !table.keyFields.empty()
                       && std::all_of(table.keyFields.begin(), table.keyFields.end(), [&](int field) {
                              return std::any_of(conditions.begin(), conditions.end(), [&](const auto &condition) {
                                  return condition.op == Filter::Condition::Equal && condition.field == field;
                              });
                          });
    auto column = [&](int field) {
        std::string name = quoted(table.columns().at(field));
        if (table.isIndexed(field) && !table.isKey(field) && indexChosen)
            return "+" + name;
        indexChosen = indexChosen || table.isIndexed(field) || (!table.keyFields.empty() && table.keyFields.front() == field);
        return name;
    };
    std::string where;
    for (const Filter::Condition &condition : conditions) {
        where += where.empty() ? " WHERE " : " AND ";
        switch (condition.op) {
        case Filter::Condition::Equal:
            where += column(condition.field) + " = ?";
            break;
        case Filter::Condition::OneOf:
            if (condition.values.empty()) {
                where += "0";
                break;
            }
            where += column(condition.field) + " IN (";
            for (std::size_t i = 0; i < condition.values.size(); ++i)
                where += i ? ", ?" : "?";
            where += ")";
            break;
        case Filter::Condition::TimeFrom:
            where += "_time >= ?";
            break;
        case Filter::Condition::TimeTo:
            where += "_time <= ?";
            break;
        }
    }
    return where;
}

sqlite3_stmt *SqliteStorage::prepareFiltered(SqliteConnection &connection, const std::string &head,
                                             const Table &table, const Filter &filter, const std::string &tail)
{
    sqlite3_stmt *statement = connection.prepare(head + whereClause(table, filter) + tail);
    int index = 0;
    bindFilter(statement, index, filter);
    return statement;
}

void SqliteStorage::bindFilter(sqlite3_stmt *statement, int &index, const Filter &filter) const
{
    for (const Filter::Condition &condition : filter.conditions()) {
        if (condition.op == Filter::Condition::TimeFrom || condition.op == Filter::Condition::TimeTo) {
            sqlite3_bind_int64(statement, ++index, condition.time);
            continue;
        }
        for (const std::string &value : condition.values) {
            std::string stored = toStored(value);
            sqlite3_bind_text(statement, ++index, stored.data(), int(stored.size()), SQLITE_TRANSIENT);
        }
    }
}

void SqliteStorage::bindRecord(sqlite3_stmt *statement, int &index, const Table &table,
                               const MtxRecord &record) const
{
    for (const std::string &stored : table.stored.values(record))
        sqlite3_bind_text(statement, ++index, stored.data(), int(stored.size()), SQLITE_TRANSIENT);
    const std::int64_t time = table.stored.time(record);
    if (time >= 0)
        sqlite3_bind_int64(statement, ++index, time);
    else
        sqlite3_bind_null(statement, ++index);
}

std::unique_ptr<MtxRecord> SqliteStorage::readRow(sqlite3_stmt *statement, const Table &table) const
{
    return table.stored.read([statement](int column) { return columnText(statement, column); }, m_factory);
}

void SqliteStorage::insert(const TableDefinition &definition, const MtxRecord &record)
{
    Transaction change(*this, true);
    SqliteConnection &connection = m_writer.connection();
    const Table &t = table(definition);
    std::string sql = "INSERT INTO " + t.name() + " (" + t.stored.columnList() + ", _time) VALUES (";
    for (std::size_t i = 0; i <= t.columns().size(); ++i)
        sql += i ? ", ?" : "?";
    sql += ")";
    Statement statement(connection.prepare(sql));
    int index = 0;
    bindRecord(statement, index, t, record);
    statement.run(connection, std::string("cannot add a row to ") + definition.name);
    change.commit();
}

int SqliteStorage::update(const TableDefinition &definition, const Filter &filter, const MtxRecord &record)
{
    Transaction change(*this, true);
    SqliteConnection &connection = m_writer.connection();
    const Table &t = table(definition);
    std::string sql = "UPDATE " + t.name() + " SET ";
    for (const std::string &column : t.columns())
        sql += quoted(column) + " = ?, ";
    sql += "_time = ?" + whereClause(t, filter);
    Statement statement(connection.prepare(sql));
    int index = 0;
    bindRecord(statement, index, t, record);
    bindFilter(statement, index, filter);
    const int changed = statement.run(connection, std::string("cannot change rows of ") + definition.name);
    change.commit();
    return changed;
}

int SqliteStorage::updateFields(const TableDefinition &definition, const Filter &filter,
                                const std::vector<std::pair<int, std::string>> &fields)
{
    if (fields.empty())
        return 0;
    Transaction change(*this, true);
    SqliteConnection &connection = m_writer.connection();
    const Table &t = table(definition);
    std::string sql = "UPDATE " + t.name() + " SET ";
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].first < 0 || std::size_t(fields[i].first) >= t.stored.fieldCount())
            throw StorageError(StorageError::General,
                               std::string("table ") + definition.name + " has no field " + std::to_string(fields[i].first));
        sql += (i ? ", " : "") + quoted(t.columns()[fields[i].first]) + " = ?";
        if (fields[i].first == t.stored.timeField())
            sql += ", _time = ?";
    }
    sql += whereClause(t, filter);
    Statement statement(connection.prepare(sql));
    int index = 0;
    for (const auto &[field, value] : fields) {
        std::string stored = toStored(value);
        sqlite3_bind_text(statement, ++index, stored.data(), int(stored.size()), SQLITE_TRANSIENT);
        if (field == t.stored.timeField()) {
            std::int64_t time = sortableTime(value);
            if (time >= 0)
                sqlite3_bind_int64(statement, ++index, time);
            else
                sqlite3_bind_null(statement, ++index);
        }
    }
    bindFilter(statement, index, filter);
    const int changed = statement.run(connection, std::string("cannot change rows of ") + definition.name);
    change.commit();
    return changed;
}

int SqliteStorage::remove(const TableDefinition &definition, const Filter &filter)
{
    Transaction change(*this, true);
    SqliteConnection &connection = m_writer.connection();
    const Table &t = table(definition);
    Statement statement(prepareFiltered(connection, "DELETE FROM " + t.name(), t, filter));
    const int changed = statement.run(connection, std::string("cannot remove rows of ") + definition.name);
    change.commit();
    return changed;
}

void SqliteStorage::readRows(const TableDefinition &definition, const Filter &filter, RowOrder order,
                             const std::function<void(std::unique_ptr<MtxRecord>)> &take)
{
    Reading use(*this);
    SqliteConnection &connection = use.connection();
    const Table &t = table(definition);
    static const char *const orderBy[] = {" ORDER BY rowid", " ORDER BY _time, rowid",
                                          " ORDER BY _time DESC, rowid DESC"};
    Statement statement(
        prepareFiltered(connection, "SELECT " + t.stored.columnList() + " FROM " + t.name(), t, filter, orderBy[int(order)]));
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW)
        take(readRow(statement, t));
    if (rc != SQLITE_DONE)
        connection.fail(std::string("cannot read rows of ") + definition.name, rc);
}

std::vector<std::unique_ptr<MtxRecord>> SqliteStorage::select(const TableDefinition &definition, const Filter &filter,
                                                              RowOrder order)
{
    std::vector<std::unique_ptr<MtxRecord>> rows;
    readRows(definition, filter, order, [&](std::unique_ptr<MtxRecord> row) { rows.push_back(std::move(row)); });
    return rows;
}

void SqliteStorage::forEach(const TableDefinition &definition, const Filter &filter,
                            const std::function<void(const MtxRecord &)> &visit)
{
    readRows(definition, filter, RowOrder::Insertion, [&](std::unique_ptr<MtxRecord> row) { visit(*row); });
}

std::int64_t SqliteStorage::count(const TableDefinition &definition, const Filter &filter)
{
    Reading use(*this);
    SqliteConnection &connection = use.connection();
    const Table &t = table(definition);
    Statement statement(prepareFiltered(connection, "SELECT COUNT(*) FROM " + t.name(), t, filter));
    int rc = sqlite3_step(statement);
    if (rc != SQLITE_ROW)
        connection.fail(std::string("cannot count rows of ") + definition.name, rc);
    return sqlite3_column_int64(statement, 0);
}

std::vector<std::pair<std::string, std::int64_t>> SqliteStorage::countBy(const TableDefinition &definition, int field,
                                                                         const Filter &filter)
{
    Reading use(*this);
    SqliteConnection &connection = use.connection();
    const Table &t = table(definition);
    std::string column = quoted(t.columns().at(field));
    Statement statement(prepareFiltered(connection, "SELECT " + column + ", COUNT(*) FROM " + t.name(), t, filter,
                                        " GROUP BY " + column + " ORDER BY " + column));
    std::vector<std::pair<std::string, std::int64_t>> counts;
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        auto text = reinterpret_cast<const char *>(sqlite3_column_text(statement, 0));
        counts.emplace_back(fromStored(text ? text : ""), sqlite3_column_int64(statement, 1));
    }
    if (rc != SQLITE_DONE)
        connection.fail(std::string("cannot count rows of ") + definition.name, rc);
    return counts;
}

std::vector<std::string> SqliteStorage::distinct(const TableDefinition &definition, int field, const Filter &filter)
{
    Reading use(*this);
    SqliteConnection &connection = use.connection();
    const Table &t = table(definition);
    std::string column = quoted(t.columns().at(field));
    Statement statement(prepareFiltered(connection, "SELECT " + column + " FROM " + t.name(), t, filter,
                                        " GROUP BY " + column + " ORDER BY MIN(rowid)"));
    std::vector<std::string> values;
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        auto text = reinterpret_cast<const char *>(sqlite3_column_text(statement, 0));
        values.push_back(fromStored(text ? text : ""));
    }
    if (rc != SQLITE_DONE)
        connection.fail(std::string("cannot read values of ") + definition.name, rc);
    return values;
}

void SqliteStorage::createHistory()
{
    SqliteConnection &writer = m_writer.connection();
    writer.exec("CREATE TABLE IF NOT EXISTS keel_history (monitor TEXT NOT NULL, type TEXT NOT NULL, time INTEGER NOT NULL, "
         "state INTEGER NOT NULL, remark TEXT NOT NULL, vals TEXT NOT NULL)");
    writer.exec("CREATE INDEX IF NOT EXISTS keel_history_monitor_time ON keel_history (monitor, time)");
    writer.exec("CREATE TABLE IF NOT EXISTS keel_counters (grp TEXT NOT NULL, name TEXT NOT NULL, value INTEGER NOT NULL, "
         "PRIMARY KEY (grp, name))");
}

void SqliteStorage::appendHistory(std::span<const HistoryRow> rows)
{
    if (rows.empty())
        return;
    Transaction transaction(*this, true);
    SqliteConnection &connection = m_writer.connection();
    sqlite3_stmt *insert =
        connection.prepare("INSERT INTO keel_history (monitor, type, time, state, remark, vals) VALUES (?, ?, ?, ?, ?, ?)");
    for (const HistoryRow &row : rows) {
        Statement statement(insert);
        std::string remark = toStored(row.remark);
        std::string values = joinValues(row.values);
        sqlite3_bind_text(statement, 1, row.monitorId.data(), int(row.monitorId.size()), SQLITE_STATIC);
        sqlite3_bind_text(statement, 2, row.monitorType.data(), int(row.monitorType.size()), SQLITE_STATIC);
        sqlite3_bind_int64(statement, 3, row.time);
        sqlite3_bind_int(statement, 4, row.state);
        sqlite3_bind_text(statement, 5, remark.data(), int(remark.size()), SQLITE_STATIC);
        sqlite3_bind_text(statement, 6, values.data(), int(values.size()), SQLITE_STATIC);
        int rc = sqlite3_step(statement);
        if (rc != SQLITE_DONE)
            connection.fail("cannot add history of monitor " + row.monitorId, rc);
    }
    transaction.commit();
}

std::vector<HistoryRow> SqliteStorage::selectHistory(const std::string &monitorId, std::int64_t from, std::int64_t to,
                                                     std::size_t maxRows)
{
    Reading use(*this);
    SqliteConnection &connection = use.connection();
    Statement statement(connection.prepare("SELECT type, time, state, remark, vals FROM keel_history "
                                "WHERE monitor = ? AND time >= ? AND time <= ? ORDER BY time, rowid LIMIT ?"));
    sqlite3_bind_text(statement, 1, monitorId.data(), int(monitorId.size()), SQLITE_STATIC);
    sqlite3_bind_int64(statement, 2, from);
    sqlite3_bind_int64(statement, 3, to);
    sqlite3_bind_int64(statement, 4, std::int64_t(std::min<std::size_t>(maxRows, INT64_MAX)));
    std::vector<HistoryRow> rows;
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        HistoryRow row;
        row.monitorId = monitorId;
        row.monitorType = std::string(columnText(statement, 0));
        row.time = sqlite3_column_int64(statement, 1);
        row.state = sqlite3_column_int(statement, 2);
        row.remark = fromStored(columnText(statement, 3));
        row.values = splitValues(columnText(statement, 4));
        rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE)
        connection.fail("cannot read the history of monitor " + monitorId, rc);
    return rows;
}

void SqliteStorage::dropHistoryBefore(std::int64_t time)
{
    Transaction change(*this, true);
    SqliteConnection &connection = m_writer.connection();
    Statement statement(connection.prepare("DELETE FROM keel_history WHERE time < ?"));
    sqlite3_bind_int64(statement, 1, time);
    statement.run(connection, "cannot remove old history");
    change.commit();
}

int SqliteStorage::deleteHistory(const std::string &monitorId, std::int64_t from, std::int64_t to)
{
    Transaction change(*this, true);
    SqliteConnection &connection = m_writer.connection();
    Statement statement(connection.prepare("DELETE FROM keel_history WHERE monitor = ? AND time >= ? AND time <= ?"));
    sqlite3_bind_text(statement, 1, monitorId.data(), int(monitorId.size()), SQLITE_STATIC);
    sqlite3_bind_int64(statement, 2, from);
    sqlite3_bind_int64(statement, 3, to);
    const int changed = statement.run(connection, "cannot delete the history of monitor " + monitorId);
    change.commit();
    return changed;
}

void SqliteStorage::saveCounters(const std::string &group,
                                 const std::vector<std::pair<std::string, std::int64_t>> &counters)
{
    if (counters.empty())
        return;
    Transaction transaction(*this, true);
    SqliteConnection &connection = m_writer.connection();
    sqlite3_stmt *put = connection.prepare("INSERT OR REPLACE INTO keel_counters (grp, name, value) VALUES (?, ?, ?)");
    sqlite3_stmt *drop = connection.prepare("DELETE FROM keel_counters WHERE grp = ? AND name = ?");
    for (const auto &[name, value] : counters) {
        Statement statement(value ? put : drop);
        sqlite3_bind_text(statement, 1, group.data(), int(group.size()), SQLITE_STATIC);
        sqlite3_bind_text(statement, 2, name.data(), int(name.size()), SQLITE_STATIC);
        if (value)
            sqlite3_bind_int64(statement, 3, value);
        int rc = sqlite3_step(statement);
        if (rc != SQLITE_DONE)
            connection.fail("cannot store the counter " + name, rc);
    }
    transaction.commit();
}

std::vector<std::pair<std::string, std::int64_t>> SqliteStorage::loadCounters(const std::string &group)
{
    Reading use(*this);
    SqliteConnection &connection = use.connection();
    Statement statement(connection.prepare("SELECT name, value FROM keel_counters WHERE grp = ? ORDER BY name"));
    sqlite3_bind_text(statement, 1, group.data(), int(group.size()), SQLITE_STATIC);
    std::vector<std::pair<std::string, std::int64_t>> counters;
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW)
        counters.emplace_back(std::string(columnText(statement, 0)), sqlite3_column_int64(statement, 1));
    if (rc != SQLITE_DONE)
        connection.fail("cannot read the counters " + group, rc);
    return counters;
}

StorageInfo SqliteStorage::info()
{
    StorageInfo info;
    info.location = m_path;
    auto fileSize = [](const std::string &path) -> std::int64_t {
        struct stat status {};
        return ::stat(path.c_str(), &status) == 0 ? std::int64_t(status.st_size) : 0;
    };
    info.sizeBytes = fileSize(m_path) + fileSize(m_path + "-wal");
    if (m_writer.connection().isOpen()) {
        Reading use(*this);
        info.schemaVersion = readSchemaVersion(use.connection());
    }
    return info;
}
