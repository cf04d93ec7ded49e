#pragma once

#include "orb/wire/mtxrecord.h"

// Each record type lists its fields once, as F(ElementName, width[, flags]).
// The same list gives the type's Field enum (enumerators named exactly like
// the elements, in wire order) and its RecordField table, so the two can never
// disagree.
#define KEEL_RECORD_ENUM(element, ...) element,
#define KEEL_RECORD_FIELD(element, width, ...) \
    RecordField{#element, width __VA_OPT__(, ) __VA_ARGS__},

// Makes a wire object at its construction values; used in the tables of
// embedded objects and in the factory tables.
template <class T>
std::unique_ptr<MtxObj> makeWireObject()
{
    return std::make_unique<T>();
}
