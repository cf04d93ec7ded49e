#include "orb/wire/mtxfactory.h"

#include <string_view>

#include "orb/wire/mtxobjid.h"
#include "orb/wire/mtxstatus.h"
#include "orb/wire/mtxstring.h"
#include "orb/wire/mtxusersecurity.h"
#include "orb/wire/mtxusersession.h"
#include "orb/wire/wireobject_p.h"

MtxFactory::~MtxFactory() = default;

namespace {

template <class T>
std::unique_ptr<MtxObj> make()
{
    return std::make_unique<T>();
}

struct FrameworkType
{
    std::string_view typeName;
    std::unique_ptr<MtxObj> (*make)();
};

// Compared exactly, in this order.
constexpr FrameworkType frameworkTypes[] = {
    {"Orb.MtxObjID", make<MtxObjID>},
    {"Orb.MtxString", make<MtxString>},
    {"Orb.MtxStatus", make<MtxStatus>},
    {"Orb.MtxUserSecurity", make<MtxUserSecurity>},
    {"Orb.MtxUserSession", make<MtxUserSession>},
};

class FrameworkFactory final : public MtxFactory
{
public:
    std::unique_ptr<MtxObj> createObject(const char *typeName) override
    {
        if (typeName)
            for (const FrameworkType &type : frameworkTypes)
                if (orb::Internal::sameText(typeName, type.typeName))
                    return type.make();
        return std::make_unique<MtxObj>();
    }
};

} // namespace

MtxFactory &frameworkFactory()
{
    static FrameworkFactory factory;
    return factory;
}
