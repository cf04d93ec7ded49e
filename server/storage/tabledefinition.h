#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "orb/wire/mtxrecord.h"

// One stored record type: the table it lives in and how rows are found. The
// columns come from the record's own layout, so every record type is stored
// by the same code.
struct TableDefinition
{
    const char *name;
    // A fresh record of the table's type (its layout gives the columns).
    std::unique_ptr<MtxRecord> (*make)();
    // Element names that together identify a row; empty when rows may repeat.
    std::vector<const char *> uniqueKey = {};
    // Element names that queries look rows up by.
    std::vector<const char *> indexed = {};
    // Element holding a "%d-%d-%d %d:%d:%d" time; stored a second time as a
    // sortable number so that date ranges and time order can be queried.
    const char *timeField = nullptr;
};

// Row selection: all conditions must hold.
class Filter
{
public:
    struct Condition
    {
        enum Op { Equal, OneOf, TimeFrom, TimeTo };
        Op op;
        int field; // record field index; unused for the time conditions
        std::vector<std::string> values;
        std::int64_t time = 0;
    };

    Filter() = default;
    static Filter all() { return {}; }
    static Filter where(int field, std::string value) { return Filter().equal(field, std::move(value)); }

    Filter &equal(int field, std::string value);
    Filter &oneOf(int field, std::vector<std::string> values);
    // Rows whose time field lies at or after / at or before time (see sortableTime).
    Filter &timeFrom(std::int64_t time);
    Filter &timeTo(std::int64_t time);

    const std::vector<Condition> &conditions() const { return m_conditions; }

private:
    std::vector<Condition> m_conditions;
};

enum class RowOrder { Insertion, TimeAscending, TimeDescending };

// "%d-%d-%d %d:%d:%d" (or a date alone) as the number YYYYMMDDhhmmss, which
// orders like the time it stands for; -1 when the text is no valid time.
std::int64_t sortableTime(std::string_view text);
