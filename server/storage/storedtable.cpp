#include "server/storage/storedtable.h"

#include <set>

#include "orb/wire/mtxfactory.h"
#include "orb/wire/xmltext.h"
#include "server/storage/storage.h"
#include "server/storage/storedtext.h"

using namespace storedtext;

StoredTable::StoredTable(const TableDefinition &definition)
    : m_definition(&definition), m_prototype(definition.make())
{
    std::set<std::string> seen;
    auto addColumn = [&](const std::string &name) {
        if (!seen.insert(lower(name)).second)
            throw StorageError(StorageError::General,
                               std::string("table ") + definition.name + " would have two columns named " + name);
        m_columns.push_back(name);
        m_columnList += (m_columnList.empty() ? "" : ", ") + quoted(name);
    };
    for (std::size_t i = 0; i < m_prototype->fieldCount(); ++i)
        addColumn(m_prototype->layout().fields[i].element);
    for (std::size_t i = 0; i < m_prototype->embeddedCount(); ++i) {
        addColumn("_emb" + std::to_string(i));
        m_emptyEmbedded.push_back(toStored(embeddedXml(m_prototype->embedded(i))));
    }
    if (definition.timeField) {
        m_timeField = m_prototype->indexOf(definition.timeField);
        if (m_timeField < 0)
            throw StorageError(StorageError::General,
                               std::string("table ") + definition.name + " has no time field " + definition.timeField);
    }
}

std::string StoredTable::name() const
{
    return quoted(m_definition->name);
}

std::size_t StoredTable::fieldCount() const
{
    return m_prototype->fieldCount();
}

void StoredTable::checkSchemaVersion(const std::string &location, int version)
{
    if (version > SchemaVersion)
        throw StorageError(StorageError::General, location + " holds schema version " + std::to_string(version)
                                                      + ", newer than this server's " + std::to_string(SchemaVersion)
                                                      + ": run a newer keelmon-server on it");
}

std::string StoredTable::recordSchemaVersion(int version)
{
    if (version == 0)
        return "INSERT INTO keel_schema (version) VALUES (" + std::to_string(SchemaVersion) + ")";
    if (version < SchemaVersion)
        return "UPDATE keel_schema SET version = " + std::to_string(SchemaVersion);
    return {};
}

int StoredTable::fieldIndex(const char *element) const
{
    const int field = m_prototype->indexOf(element);
    if (field < 0)
        throw StorageError(StorageError::General,
                           std::string("table ") + m_definition->name + " has no field " + element + " to index");
    return field;
}

std::vector<std::string> StoredTable::indexStatements() const
{
    const TableDefinition &definition = *m_definition;
    auto index = [&](const std::string &suffix, const std::string &columns, bool unique) {
        return std::string(unique ? "CREATE UNIQUE INDEX" : "CREATE INDEX") + " IF NOT EXISTS "
               + quoted(std::string(definition.name) + suffix) + " ON " + name() + " (" + columns + ")";
    };
    std::vector<std::string> statements;
    if (!definition.uniqueKey.empty()) {
        std::string key;
        for (const char *element : definition.uniqueKey)
            key += (key.empty() ? "" : ", ") + quoted(m_columns[fieldIndex(element)]);
        statements.push_back(index("_key", key, true));
    }
    for (const char *element : definition.indexed)
        statements.push_back(index(std::string("_") + element, quoted(m_columns[fieldIndex(element)]), false));
    if (definition.timeField)
        statements.push_back(index("__time", "_time", false));
    return statements;
}

std::vector<std::string> StoredTable::values(const MtxRecord &record) const
{
    if (&record.layout() != &m_prototype->layout())
        throw StorageError(StorageError::General, std::string("a ") + record.getTypeName()
                                                      + " cannot be stored in table " + m_definition->name);
    std::vector<std::string> values;
    values.reserve(m_columns.size());
    for (std::size_t i = 0; i < record.fieldCount(); ++i)
        values.push_back(toStored(record.get(int(i))));
    for (std::size_t i = 0; i < record.embeddedCount(); ++i)
        values.push_back(toStored(embeddedXml(record.embedded(i))));
    return values;
}

std::int64_t StoredTable::time(const MtxRecord &record) const
{
    return m_timeField >= 0 ? sortableTime(record.get(m_timeField)) : -1;
}

std::unique_ptr<MtxRecord> StoredTable::read(const std::function<std::string_view(int)> &column,
                                             MtxFactory &factory) const
{
    std::unique_ptr<MtxRecord> record = m_definition->make();
    const std::size_t fields = fieldCount();
    for (std::size_t i = 0; i < fields; ++i) {
        const std::string_view stored = column(int(i));
        if (isAscii(stored))
            record->setTruncated(int(i), stored); // no converted copy for the usual case
        else
            record->setTruncated(int(i), fromStored(stored));
    }
    for (std::size_t i = 0; i < m_emptyEmbedded.size(); ++i) {
        const std::string_view stored = column(int(fields + i));
        if (stored.empty() || stored == m_emptyEmbedded[i])
            continue; // a fresh embedded object is already empty
        pugi::xml_document document;
        if (!orb::parseUtf8Document(document, stored))
            continue; // unreadable content leaves the object empty rather than failing the row
        MtxObj &embedded = record->embedded(i);
        embedded.setFactory(&factory);
        embedded.fromXML(document.first_child());
    }
    return record;
}
