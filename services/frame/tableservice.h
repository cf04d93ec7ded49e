#pragma once

#include "orb/net/orbservice.h"
#include "services/types/servicetypetable.h"

// The service object of every service library: an OrbService named after its
// table's service, whose factory is that table. Arrays and query results it
// creates make their items through it.
class TableService : public OrbService
{
public:
    explicit TableService(const ServiceTypeTable &table);
    ~TableService() override;

    const ServiceTypeTable &table() const { return m_table; }

    // Null only when memory is exhausted; nothing is thrown across the
    // library boundary.
    std::unique_ptr<MtxObj> createObject(const char *typeName) override;

private:
    const ServiceTypeTable &m_table;
};
