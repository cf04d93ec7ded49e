#include "services/types/servicetypetable.h"

#include <cstring>

#include "orb/wire/mtxobj.h"

const TypeMaker *ServiceTypeTable::find(std::string_view typeName) const
{
    // Compared without measuring every table entry: a reply asks this for
    // each item it holds.
    for (const TypeMaker &maker : m_types) {
        if (std::strncmp(maker.typeName, typeName.data(), typeName.size()) == 0
            && maker.typeName[typeName.size()] == '\0')
            return &maker;
    }
    return nullptr;
}

std::unique_ptr<MtxObj> ServiceTypeTable::create(const char *typeName, MtxFactory *creator) const
{
    const TypeMaker *maker = typeName ? find(typeName) : nullptr;
    if (!maker)
        return std::make_unique<MtxObj>();
    std::unique_ptr<MtxObj> object = maker->make();
    if (maker->createsItems)
        object->setFactory(creator);
    return object;
}
