#include "server/storage/sqlitestorage.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <set>
#include <thread>

#include "orb/wire/codepage.h"
#include "orb/wire/mtxfactory.h"
#include "orb/wire/xmltext.h"

StorageTransaction::~StorageTransaction() = default;
Storage::~Storage() = default;

namespace {

bool isAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Most stored values (identifiers, numbers, times) are ASCII and need no conversion.
std::string toStored(std::string_view local)
{
    return isAscii(local) ? std::string(local) : orb::toUtf8(local);
}

std::string fromStored(std::string_view utf8)
{
    return isAscii(utf8) ? std::string(utf8) : orb::fromUtf8(utf8);
}

std::string quoted(std::string_view name)
{
    return "\"" + std::string(name) + "\"";
}

std::string lower(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
    return out;
}

// The values of a history row share one column, separated by a control
// character that check results never carry (it is replaced if one does).
constexpr char ValueSeparator = '\x1f';

std::string joinValues(const std::vector<std::string> &values)
{
    std::string joined;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i)
            joined += ValueSeparator;
        std::string value = values[i];
        std::replace(value.begin(), value.end(), ValueSeparator, ' ');
        joined += toStored(value);
    }
    return joined;
}

std::vector<std::string> splitValues(std::string_view joined)
{
    std::vector<std::string> values;
    if (joined.empty())
        return values;
    std::size_t start = 0;
    for (std::size_t end; (end = joined.find(ValueSeparator, start)) != std::string_view::npos; start = end + 1)
        values.push_back(fromStored(joined.substr(start, end - start)));
    values.push_back(fromStored(joined.substr(start)));
    return values;
}

std::string_view columnText(sqlite3_stmt *statement, int column)
{
    auto text = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
    return {text ? text : "", std::size_t(sqlite3_column_bytes(statement, column))};
}

std::string embeddedXml(const MtxObj &object)
{
    std::string xml;
    object.toXML(xml, object.getElementName(), 1);
    return xml;
}

} // namespace

// What the storage knows of one table, worked out once from its record layout.
struct SqliteStorage::Table
{
    const TableDefinition *definition;
    std::unique_ptr<MtxRecord> prototype;
    std::vector<std::string> columns;       // quoted field columns, then embedded columns
    std::vector<std::string> emptyEmbedded; // the stored text of each embedded object when empty
    int timeField = -1;
    std::string selectColumns;

    std::size_t fieldCount() const { return prototype->fieldCount(); }
    std::size_t embeddedCount() const { return prototype->embeddedCount(); }
    std::string name() const { return quoted(definition->name); }
};

// Resets a cached statement when the operation is done with it.
class SqliteStorage::Statement
{
public:
    explicit Statement(sqlite3_stmt *statement) : m_statement(statement) {}
    ~Statement()
    {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
    }
    operator sqlite3_stmt *() const { return m_statement; }

private:
    sqlite3_stmt *m_statement;
};

class SqliteStorage::Transaction : public StorageTransaction
{
public:
    Transaction(SqliteStorage &storage, bool write) : m_storage(storage), m_hold(storage.m_lock), m_write(write)
    {
        // Only the outermost write transaction talks to SQLite; inner ones join it.
        if (m_write && sqlite3_get_autocommit(m_storage.m_db)) {
            m_storage.exec("BEGIN IMMEDIATE");
            m_owner = true;
        }
    }
    ~Transaction() override
    {
        if (m_owner && !m_done) {
            try {
                m_storage.exec("ROLLBACK");
            } catch (const StorageError &) {
                // the connection already rolled back on its own
            }
        }
    }
    void commit() override
    {
        if (m_owner && !m_done)
            m_storage.exec("COMMIT");
        m_done = true;
    }

private:
    SqliteStorage &m_storage;
    std::unique_lock<std::recursive_mutex> m_hold;
    bool m_write;
    bool m_owner = false;
    bool m_done = false;
};

SqliteStorage::SqliteStorage(std::string path, MtxFactory &factory) : m_path(std::move(path)), m_factory(factory)
{
}

SqliteStorage::~SqliteStorage()
{
    close();
}

void SqliteStorage::fail(const std::string &what, int rc) const
{
    std::string message = what + ": " + (m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc));
    throw StorageError((rc & 0xff) == SQLITE_CONSTRAINT ? StorageError::Constraint : StorageError::General,
                       message);
}

void SqliteStorage::exec(const std::string &sql)
{
    char *error = nullptr;
    int rc = sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        std::string message = error ? error : sqlite3_errstr(rc);
        sqlite3_free(error);
        throw StorageError((rc & 0xff) == SQLITE_CONSTRAINT ? StorageError::Constraint : StorageError::General,
                           "cannot run \"" + sql.substr(0, 60) + "\" on " + m_path + ": " + message);
    }
}

sqlite3_stmt *SqliteStorage::prepare(const std::string &sql)
{
    if (!m_db)
        throw StorageError(StorageError::General, "the database " + m_path + " is not open");
    auto found = m_statements.find(sql);
    if (found != m_statements.end())
        return found->second;
    sqlite3_stmt *statement = nullptr;
    int rc = sqlite3_prepare_v3(m_db, sql.c_str(), int(sql.size()), SQLITE_PREPARE_PERSISTENT, &statement, nullptr);
    if (rc != SQLITE_OK)
        fail("cannot prepare \"" + sql.substr(0, 60) + "\"", rc);
    m_statements.emplace(sql, statement);
    return statement;
}

void SqliteStorage::useWriteAheadLog()
{
    // Switching a new file to WAL creates its -wal and -shm files. A start
    // once failed here with "disk I/O error" and passed when repeated (a
    // process still holding those files of a removed database of the same
    // name is the likely cause), so the switch is tried a few times.
    constexpr int Attempts = 5;
    int rc = SQLITE_OK;
    for (int attempt = 1; attempt <= Attempts; ++attempt) {
        rc = sqlite3_exec(m_db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
        const int primary = rc & 0xff;
        if (rc == SQLITE_OK || (primary != SQLITE_IOERR && primary != SQLITE_BUSY && primary != SQLITE_LOCKED))
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    if (rc != SQLITE_OK)
        throw StorageError(StorageError::General,
                           "cannot switch " + m_path + " to write-ahead logging: " + sqlite3_errmsg(m_db)
                               + " (is another server still using it? stop it, or remove stale " + m_path
                               + "-wal and " + m_path + "-shm files, then start again)");
}

void SqliteStorage::open(std::span<const TableDefinition *const> tables)
{
    std::lock_guard hold(m_lock);
    int rc = sqlite3_open_v2(m_path.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                             nullptr);
    if (rc != SQLITE_OK) {
        std::string message = "cannot open the database " + m_path + ": "
                              + (m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc))
                              + " (check that the folder exists and is writable)";
        sqlite3_close(m_db);
        m_db = nullptr;
        throw StorageError(StorageError::General, message);
    }
    sqlite3_busy_timeout(m_db, 5000);
    useWriteAheadLog();
    exec("PRAGMA synchronous=FULL");

    Transaction transaction(*this, true);
    exec("CREATE TABLE IF NOT EXISTS keel_schema (version INTEGER NOT NULL)");
    int version = readSchemaVersion();
    if (version > SchemaVersion)
        throw StorageError(StorageError::General,
                           m_path + " holds schema version " + std::to_string(version)
                               + ", newer than this server's " + std::to_string(SchemaVersion)
                               + ": run a newer keelmon-server on it");
    for (const TableDefinition *definition : tables)
        createOrUpgrade(*definition);
    createHistory();
    if (version == 0)
        exec("INSERT INTO keel_schema (version) VALUES (" + std::to_string(SchemaVersion) + ")");
    else if (version < SchemaVersion)
        exec("UPDATE keel_schema SET version = " + std::to_string(SchemaVersion));
    transaction.commit();
}

int SqliteStorage::readSchemaVersion()
{
    Statement statement(prepare("SELECT MAX(version) FROM keel_schema"));
    int rc = sqlite3_step(statement);
    if (rc != SQLITE_ROW)
        fail("cannot read the schema version of " + m_path, rc);
    return sqlite3_column_int(statement, 0);
}

void SqliteStorage::createOrUpgrade(const TableDefinition &definition)
{
    auto table = std::make_unique<Table>();
    table->definition = &definition;
    table->prototype = definition.make();
    const MtxRecord &prototype = *table->prototype;

    std::set<std::string> seen;
    auto addColumn = [&](const std::string &name) {
        if (!seen.insert(lower(name)).second)
            throw StorageError(StorageError::General,
                               std::string("table ") + definition.name + " would have two columns named " + name);
        table->columns.push_back(name);
    };
    for (std::size_t i = 0; i < prototype.fieldCount(); ++i)
        addColumn(prototype.layout().fields[i].element);
    for (std::size_t i = 0; i < prototype.embeddedCount(); ++i) {
        addColumn("_emb" + std::to_string(i));
        table->emptyEmbedded.push_back(toStored(embeddedXml(prototype.embedded(i))));
    }
    if (definition.timeField) {
        table->timeField = prototype.indexOf(definition.timeField);
        if (table->timeField < 0)
            throw StorageError(StorageError::General,
                               std::string("table ") + definition.name + " has no time field " + definition.timeField);
    }

    std::string create = "CREATE TABLE IF NOT EXISTS " + table->name() + " (";
    for (std::size_t i = 0; i < table->columns.size(); ++i)
        create += (i ? ", " : "") + quoted(table->columns[i]) + " TEXT NOT NULL DEFAULT ''";
    create += ", _time INTEGER)";
    exec(create);

    // Columns that a newer record layout added are appended to an older table.
    std::set<std::string> existing;
    {
        Statement info(prepare("SELECT name FROM pragma_table_info('" + std::string(definition.name) + "')"));
        while (sqlite3_step(info) == SQLITE_ROW)
            existing.insert(lower(reinterpret_cast<const char *>(sqlite3_column_text(info, 0))));
    }
    for (const std::string &column : table->columns)
        if (!existing.count(lower(column)))
            exec("ALTER TABLE " + table->name() + " ADD COLUMN " + quoted(column) + " TEXT NOT NULL DEFAULT ''");
    if (!existing.count("_time"))
        exec("ALTER TABLE " + table->name() + " ADD COLUMN _time INTEGER");

    auto indexColumns = [&](const std::vector<const char *> &fields) {
        std::string list;
        for (const char *field : fields) {
            if (prototype.indexOf(field) < 0)
                throw StorageError(StorageError::General,
                                   std::string("table ") + definition.name + " has no field " + field + " to index");
            list += (list.empty() ? "" : ", ") + quoted(field);
        }
        return list;
    };
    if (!definition.uniqueKey.empty())
        exec("CREATE UNIQUE INDEX IF NOT EXISTS " + quoted(std::string(definition.name) + "_key") + " ON "
             + table->name() + " (" + indexColumns(definition.uniqueKey) + ")");
    for (const char *field : definition.indexed)
        exec("CREATE INDEX IF NOT EXISTS " + quoted(std::string(definition.name) + "_" + field) + " ON " + table->name()
             + " (" + indexColumns({field}) + ")");
    if (definition.timeField)
        exec("CREATE INDEX IF NOT EXISTS " + quoted(std::string(definition.name) + "__time") + " ON " + table->name()
             + " (_time)");

    for (const std::string &column : table->columns)
        table->selectColumns += (table->selectColumns.empty() ? "" : ", ") + quoted(column);
    m_tables[&definition] = std::move(table);
}

void SqliteStorage::close()
{
    std::lock_guard hold(m_lock);
    for (auto &[sql, statement] : m_statements)
        sqlite3_finalize(statement);
    m_statements.clear();
    if (m_db) {
        // A clean close checkpoints the WAL back into the main file.
        sqlite3_close(m_db);
        m_db = nullptr;
    }
}

std::unique_ptr<StorageTransaction> SqliteStorage::begin(bool write)
{
    if (!m_db)
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
    std::string where;
    for (const Filter::Condition &condition : filter.conditions()) {
        where += where.empty() ? " WHERE " : " AND ";
        switch (condition.op) {
        case Filter::Condition::Equal:
            where += quoted(table.columns.at(condition.field)) + " = ?";
            break;
        case Filter::Condition::OneOf:
            if (condition.values.empty()) {
                where += "0";
                break;
            }
            where += quoted(table.columns.at(condition.field)) + " IN (";
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

sqlite3_stmt *SqliteStorage::prepareFiltered(const std::string &head, const Table &table, const Filter &filter,
                                             const std::string &tail)
{
    sqlite3_stmt *statement = prepare(head + whereClause(table, filter) + tail);
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
    if (&record.layout() != &table.prototype->layout())
        throw StorageError(StorageError::General,
                           std::string("a ") + record.getTypeName() + " cannot be stored in table " + table.definition->name);
    for (std::size_t i = 0; i < table.fieldCount(); ++i) {
        std::string stored = toStored(record.get(int(i)));
        sqlite3_bind_text(statement, ++index, stored.data(), int(stored.size()), SQLITE_TRANSIENT);
    }
    for (std::size_t i = 0; i < table.embeddedCount(); ++i) {
        std::string stored = toStored(embeddedXml(record.embedded(i)));
        sqlite3_bind_text(statement, ++index, stored.data(), int(stored.size()), SQLITE_TRANSIENT);
    }
    std::int64_t time = table.timeField >= 0 ? sortableTime(record.get(table.timeField)) : -1;
    if (time >= 0)
        sqlite3_bind_int64(statement, ++index, time);
    else
        sqlite3_bind_null(statement, ++index);
}

std::unique_ptr<MtxRecord> SqliteStorage::readRow(sqlite3_stmt *statement, const Table &table) const
{
    std::unique_ptr<MtxRecord> record = table.definition->make();
    int column = 0;
    for (std::size_t i = 0; i < table.fieldCount(); ++i, ++column) {
        auto text = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
        std::string_view stored(text ? text : "", std::size_t(sqlite3_column_bytes(statement, column)));
        if (isAscii(stored))
            record->setTruncated(int(i), stored); // no converted copy for the usual case
        else
            record->setTruncated(int(i), orb::fromUtf8(stored));
    }
    for (std::size_t i = 0; i < table.embeddedCount(); ++i, ++column) {
        auto text = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
        std::string_view stored(text ? text : "", std::size_t(sqlite3_column_bytes(statement, column)));
        if (stored.empty() || stored == table.emptyEmbedded[i])
            continue; // a fresh embedded object is already empty
        pugi::xml_document document;
        if (!orb::parseUtf8Document(document, stored))
            continue; // unreadable content leaves the object empty rather than failing the row
        MtxObj &embedded = record->embedded(i);
        embedded.setFactory(&m_factory);
        embedded.fromXML(document.first_child());
    }
    return record;
}

void SqliteStorage::insert(const TableDefinition &definition, const MtxRecord &record)
{
    std::lock_guard hold(m_lock);
    const Table &t = table(definition);
    std::string sql = "INSERT INTO " + t.name() + " (" + t.selectColumns + ", _time) VALUES (";
    for (std::size_t i = 0; i <= t.columns.size(); ++i)
        sql += i ? ", ?" : "?";
    sql += ")";
    Statement statement(prepare(sql));
    int index = 0;
    bindRecord(statement, index, t, record);
    int rc = sqlite3_step(statement);
    if (rc != SQLITE_DONE)
        fail(std::string("cannot add a row to ") + definition.name, rc);
}

int SqliteStorage::update(const TableDefinition &definition, const Filter &filter, const MtxRecord &record)
{
    std::lock_guard hold(m_lock);
    const Table &t = table(definition);
    std::string sql = "UPDATE " + t.name() + " SET ";
    for (const std::string &column : t.columns)
        sql += quoted(column) + " = ?, ";
    sql += "_time = ?" + whereClause(t, filter);
    Statement statement(prepare(sql));
    int index = 0;
    bindRecord(statement, index, t, record);
    bindFilter(statement, index, filter);
    int rc = sqlite3_step(statement);
    if (rc != SQLITE_DONE)
        fail(std::string("cannot change rows of ") + definition.name, rc);
    return sqlite3_changes(m_db);
}

int SqliteStorage::updateFields(const TableDefinition &definition, const Filter &filter,
                                const std::vector<std::pair<int, std::string>> &fields)
{
    std::lock_guard hold(m_lock);
    const Table &t = table(definition);
    if (fields.empty())
        return 0;
    std::string sql = "UPDATE " + t.name() + " SET ";
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].first < 0 || std::size_t(fields[i].first) >= t.fieldCount())
            throw StorageError(StorageError::General,
                               std::string("table ") + definition.name + " has no field " + std::to_string(fields[i].first));
        sql += (i ? ", " : "") + quoted(t.columns[fields[i].first]) + " = ?";
        if (fields[i].first == t.timeField)
            sql += ", _time = ?";
    }
    sql += whereClause(t, filter);
    Statement statement(prepare(sql));
    int index = 0;
    for (const auto &[field, value] : fields) {
        std::string stored = toStored(value);
        sqlite3_bind_text(statement, ++index, stored.data(), int(stored.size()), SQLITE_TRANSIENT);
        if (field == t.timeField) {
            std::int64_t time = sortableTime(value);
            if (time >= 0)
                sqlite3_bind_int64(statement, ++index, time);
            else
                sqlite3_bind_null(statement, ++index);
        }
    }
    bindFilter(statement, index, filter);
    int rc = sqlite3_step(statement);
    if (rc != SQLITE_DONE)
        fail(std::string("cannot change rows of ") + definition.name, rc);
    return sqlite3_changes(m_db);
}

int SqliteStorage::remove(const TableDefinition &definition, const Filter &filter)
{
    std::lock_guard hold(m_lock);
    const Table &t = table(definition);
    Statement statement(prepareFiltered("DELETE FROM " + t.name(), t, filter));
    int rc = sqlite3_step(statement);
    if (rc != SQLITE_DONE)
        fail(std::string("cannot remove rows of ") + definition.name, rc);
    return sqlite3_changes(m_db);
}

void SqliteStorage::readRows(const TableDefinition &definition, const Filter &filter, RowOrder order,
                             const std::function<void(std::unique_ptr<MtxRecord>)> &take)
{
    std::lock_guard hold(m_lock);
    const Table &t = table(definition);
    static const char *const orderBy[] = {" ORDER BY rowid", " ORDER BY _time, rowid",
                                          " ORDER BY _time DESC, rowid DESC"};
    Statement statement(
        prepareFiltered("SELECT " + t.selectColumns + " FROM " + t.name(), t, filter, orderBy[int(order)]));
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW)
        take(readRow(statement, t));
    if (rc != SQLITE_DONE)
        fail(std::string("cannot read rows of ") + definition.name, rc);
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
    std::lock_guard hold(m_lock);
    const Table &t = table(definition);
    Statement statement(prepareFiltered("SELECT COUNT(*) FROM " + t.name(), t, filter));
    int rc = sqlite3_step(statement);
    if (rc != SQLITE_ROW)
        fail(std::string("cannot count rows of ") + definition.name, rc);
    return sqlite3_column_int64(statement, 0);
}

std::vector<std::pair<std::string, std::int64_t>> SqliteStorage::countBy(const TableDefinition &definition, int field,
                                                                         const Filter &filter)
{
    std::lock_guard hold(m_lock);
    const Table &t = table(definition);
    std::string column = quoted(t.columns.at(field));
    Statement statement(prepareFiltered("SELECT " + column + ", COUNT(*) FROM " + t.name(), t, filter,
                                        " GROUP BY " + column + " ORDER BY " + column));
    std::vector<std::pair<std::string, std::int64_t>> counts;
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        auto text = reinterpret_cast<const char *>(sqlite3_column_text(statement, 0));
        counts.emplace_back(fromStored(text ? text : ""), sqlite3_column_int64(statement, 1));
    }
    if (rc != SQLITE_DONE)
        fail(std::string("cannot count rows of ") + definition.name, rc);
    return counts;
}

std::vector<std::string> SqliteStorage::distinct(const TableDefinition &definition, int field, const Filter &filter)
{
    std::lock_guard hold(m_lock);
    const Table &t = table(definition);
    std::string column = quoted(t.columns.at(field));
    Statement statement(prepareFiltered("SELECT " + column + " FROM " + t.name(), t, filter,
                                        " GROUP BY " + column + " ORDER BY MIN(rowid)"));
    std::vector<std::string> values;
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        auto text = reinterpret_cast<const char *>(sqlite3_column_text(statement, 0));
        values.push_back(fromStored(text ? text : ""));
    }
    if (rc != SQLITE_DONE)
        fail(std::string("cannot read values of ") + definition.name, rc);
    return values;
}

void SqliteStorage::createHistory()
{
    exec("CREATE TABLE IF NOT EXISTS keel_history (monitor TEXT NOT NULL, type TEXT NOT NULL, time INTEGER NOT NULL, "
         "state INTEGER NOT NULL, remark TEXT NOT NULL, vals TEXT NOT NULL)");
    exec("CREATE INDEX IF NOT EXISTS keel_history_monitor_time ON keel_history (monitor, time)");
    exec("CREATE TABLE IF NOT EXISTS keel_counters (grp TEXT NOT NULL, name TEXT NOT NULL, value INTEGER NOT NULL, "
         "PRIMARY KEY (grp, name))");
}

void SqliteStorage::appendHistory(std::span<const HistoryRow> rows)
{
    if (rows.empty())
        return;
    Transaction transaction(*this, true);
    sqlite3_stmt *insert =
        prepare("INSERT INTO keel_history (monitor, type, time, state, remark, vals) VALUES (?, ?, ?, ?, ?, ?)");
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
            fail("cannot add history of monitor " + row.monitorId, rc);
    }
    transaction.commit();
}

std::vector<HistoryRow> SqliteStorage::selectHistory(const std::string &monitorId, std::int64_t from, std::int64_t to,
                                                     std::size_t maxRows)
{
    std::lock_guard hold(m_lock);
    Statement statement(prepare("SELECT type, time, state, remark, vals FROM keel_history "
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
        fail("cannot read the history of monitor " + monitorId, rc);
    return rows;
}

int SqliteStorage::deleteHistory(const std::string &monitorId, std::int64_t from, std::int64_t to)
{
    std::lock_guard hold(m_lock);
    Statement statement(prepare("DELETE FROM keel_history WHERE monitor = ? AND time >= ? AND time <= ?"));
    sqlite3_bind_text(statement, 1, monitorId.data(), int(monitorId.size()), SQLITE_STATIC);
    sqlite3_bind_int64(statement, 2, from);
    sqlite3_bind_int64(statement, 3, to);
    int rc = sqlite3_step(statement);
    if (rc != SQLITE_DONE)
        fail("cannot delete the history of monitor " + monitorId, rc);
    return sqlite3_changes(m_db);
}

void SqliteStorage::saveCounters(const std::string &group,
                                 const std::vector<std::pair<std::string, std::int64_t>> &counters)
{
    if (counters.empty())
        return;
    Transaction transaction(*this, true);
    sqlite3_stmt *put = prepare("INSERT OR REPLACE INTO keel_counters (grp, name, value) VALUES (?, ?, ?)");
    sqlite3_stmt *drop = prepare("DELETE FROM keel_counters WHERE grp = ? AND name = ?");
    for (const auto &[name, value] : counters) {
        Statement statement(value ? put : drop);
        sqlite3_bind_text(statement, 1, group.data(), int(group.size()), SQLITE_STATIC);
        sqlite3_bind_text(statement, 2, name.data(), int(name.size()), SQLITE_STATIC);
        if (value)
            sqlite3_bind_int64(statement, 3, value);
        int rc = sqlite3_step(statement);
        if (rc != SQLITE_DONE)
            fail("cannot store the counter " + name, rc);
    }
    transaction.commit();
}

std::vector<std::pair<std::string, std::int64_t>> SqliteStorage::loadCounters(const std::string &group)
{
    std::lock_guard hold(m_lock);
    Statement statement(prepare("SELECT name, value FROM keel_counters WHERE grp = ? ORDER BY name"));
    sqlite3_bind_text(statement, 1, group.data(), int(group.size()), SQLITE_STATIC);
    std::vector<std::pair<std::string, std::int64_t>> counters;
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW)
        counters.emplace_back(std::string(columnText(statement, 0)), sqlite3_column_int64(statement, 1));
    if (rc != SQLITE_DONE)
        fail("cannot read the counters " + group, rc);
    return counters;
}

StorageInfo SqliteStorage::info()
{
    std::lock_guard hold(m_lock);
    StorageInfo info;
    info.location = m_path;
    auto fileSize = [](const std::string &path) -> std::int64_t {
        struct stat status {};
        return ::stat(path.c_str(), &status) == 0 ? std::int64_t(status.st_size) : 0;
    };
    info.sizeBytes = fileSize(m_path) + fileSize(m_path + "-wal");
    if (m_db)
        info.schemaVersion = readSchemaVersion();
    return info;
}
