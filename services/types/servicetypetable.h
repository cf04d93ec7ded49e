#pragma once

#include <memory>
#include <span>
#include <string_view>

#include "orb/wire/keelexport.h"

class MtxFactory;
class MtxObj;

// One wire type a factory knows: its name and how to make it.
struct TypeMaker
{
    const char *typeName;
    std::unique_ptr<MtxObj> (*make)();
    // The object creates its items by type name while it reads (arrays, query
    // results), so it is given the creating factory.
    bool createsItems = false;
};

// The wire types of one server-side service, in the order they are compared.
// Service objects, the reference server and the tools all create objects
// through these tables.
class KEEL_EXPORT ServiceTypeTable
{
public:
    constexpr ServiceTypeTable(const char *serviceName, const char *libraryName,
                               std::span<const TypeMaker> types)
        : m_serviceName(serviceName), m_libraryName(libraryName), m_types(types)
    {
    }

    // "ElementService"; empty for the table of every known type.
    const char *serviceName() const { return m_serviceName; }
    // "InventorySvc"; empty for the table of every known type.
    const char *libraryName() const { return m_libraryName; }
    std::span<const TypeMaker> types() const { return m_types; }

    // The entry for typeName (exact, case-sensitive), or null.
    const TypeMaker *find(std::string_view typeName) const;

    // A new object for typeName at its construction values; an unknown (or
    // null) name gives a plain MtxObj. Objects that create items while reading
    // get creator as their factory. Throws std::bad_alloc only.
    std::unique_ptr<MtxObj> create(const char *typeName, MtxFactory *creator) const;

private:
    const char *m_serviceName;
    const char *m_libraryName;
    std::span<const TypeMaker> m_types;
};
