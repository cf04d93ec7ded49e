#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "server/storage/tabledefinition.h"

class MtxFactory;

// What a database backend knows of one record table, worked out once from
// its record layout: a text column per field, one per embedded object (its
// XML), and the time field kept a second time as a sortable number.
class StoredTable
{
public:
    // The version of the tables every backend keeps (recorded in keel_schema).
    static constexpr int SchemaVersion = 1;
    // Throws StorageError when location holds a newer version than this server's.
    static void checkSchemaVersion(const std::string &location, int version);
    // The statement that records SchemaVersion over a database's version, or
    // empty when it is current.
    static std::string recordSchemaVersion(int version);

    // Throws StorageError when the layout would give two columns one name or
    // the definition names a field the record lacks.
    explicit StoredTable(const TableDefinition &definition);

    const TableDefinition &definition() const { return *m_definition; }
    // The table's name as an SQL identifier.
    std::string name() const;
    // Column names, unquoted: the fields, then "_emb0", "_emb1", …
    const std::vector<std::string> &columns() const { return m_columns; }
    // The quoted columns, comma separated.
    const std::string &columnList() const { return m_columnList; }
    std::size_t fieldCount() const;
    int timeField() const { return m_timeField; }
    // The field of element; throws StorageError when the record has none.
    int fieldIndex(const char *element) const;
    // The CREATE INDEX statements of the unique key, the indexed fields and the time.
    std::vector<std::string> indexStatements() const;

    // The stored text of each column of record; throws StorageError when
    // record is of another type than the table's.
    std::vector<std::string> values(const MtxRecord &record) const;
    // The sortable time of record's time field, -1 when it has none.
    std::int64_t time(const MtxRecord &record) const;
    // A record from the stored text of its columns (column(i) for column i).
    std::unique_ptr<MtxRecord> read(const std::function<std::string_view(int)> &column, MtxFactory &factory) const;

private:
    const TableDefinition *m_definition;
    std::unique_ptr<MtxRecord> m_prototype;
    std::vector<std::string> m_columns;
    std::vector<std::string> m_emptyEmbedded; // the stored text of each embedded object when empty
    std::string m_columnList;
    int m_timeField = -1;
};
