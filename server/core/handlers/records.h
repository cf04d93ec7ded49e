#pragma once

#include <memory>
#include <string>
#include <vector>

#include "orb/wire/mtxarray.h"
#include "orb/wire/mtxstring.h"
#include "server/core/refusal.h"
#include "server/storage/storage.h"

// Small helpers the handlers share for reading and answering with records.
namespace records {

template <class T>
std::unique_ptr<T> as(std::unique_ptr<MtxRecord> record)
{
    return std::unique_ptr<T>(static_cast<T *>(record.release()));
}

// The first row whose field equals value, or null.
template <class T>
std::unique_ptr<T> find(Storage &storage, const TableDefinition &table, int field, const std::string &value)
{
    auto rows = storage.select(table, Filter::where(field, value));
    return rows.empty() ? nullptr : as<T>(std::move(rows.front()));
}

// Like find, but a missing row refuses the call with notFoundUtf8.
template <class T>
std::unique_ptr<T> require(Storage &storage, const TableDefinition &table, int field, const std::string &value,
                           const char *notFoundUtf8)
{
    auto row = find<T>(storage, table, field, value);
    if (!row)
        throw Refusal(refusal::NotFound, notFoundUtf8);
    return row;
}

inline bool exists(Storage &storage, const TableDefinition &table, int field, const std::string &value)
{
    return storage.count(table, Filter::where(field, value)) > 0;
}

// The opposite of require: a row whose field equals value refuses the call
// with existsUtf8.
inline void requireNew(Storage &storage, const TableDefinition &table, int field, const std::string &value,
                       const char *existsUtf8)
{
    if (exists(storage, table, field, value))
        throw Refusal(refusal::Exists, existsUtf8);
}

std::unique_ptr<MtxArray> array(std::vector<std::unique_ptr<MtxRecord>> rows);
std::unique_ptr<MtxString> text(const std::string &value);

// Refuses with messageUtf8 when value is empty or only blanks.
void requireText(const std::string &value, const char *messageUtf8);

} // namespace records
