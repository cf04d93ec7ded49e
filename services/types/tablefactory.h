#pragma once

#include "orb/wire/mtxfactory.h"
#include "services/types/servicetypetable.h"

// A factory over one type table, for code that creates a service's wire types
// without a service object (the reference server, the tools).
class KEEL_EXPORT TableFactory : public MtxFactory
{
public:
    explicit TableFactory(const ServiceTypeTable &table) : m_table(table) {}
    ~TableFactory() override;

    const ServiceTypeTable &table() const { return m_table; }
    std::unique_ptr<MtxObj> createObject(const char *typeName) override;

private:
    const ServiceTypeTable &m_table;
};

// The factory of every known wire type (domainTypes()).
KEEL_EXPORT MtxFactory &domainFactory();

// Any known wire type by name ("Orb.MonitorObj", "com.Velmora.sys.SysTypeObj");
// an unknown name gives a plain MtxObj. Arrays and query results create
// their items through domainFactory().
KEEL_EXPORT std::unique_ptr<MtxObj> createDomainObject(const char *typeName);
