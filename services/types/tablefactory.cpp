#include "services/types/tablefactory.h"

#include "orb/wire/mtxobj.h"
#include "services/types/servicetables.h"

TableFactory::~TableFactory() = default;

std::unique_ptr<MtxObj> TableFactory::createObject(const char *typeName)
{
    return m_table.create(typeName, this);
}

MtxFactory &domainFactory()
{
    static TableFactory factory(domainTypes());
    return factory;
}

std::unique_ptr<MtxObj> createDomainObject(const char *typeName)
{
    return domainFactory().createObject(typeName);
}
