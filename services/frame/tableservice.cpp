#include "services/frame/tableservice.h"

#include <new>

#include "orb/wire/mtxobj.h"

TableService::TableService(const ServiceTypeTable &table)
    : OrbService(table.serviceName()), m_table(table)
{
}

TableService::~TableService() = default;

std::unique_ptr<MtxObj> TableService::createObject(const char *typeName)
{
    try {
        return m_table.create(typeName, this);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}
