#include "tools/orbcall/factorychain.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "orb/net/orbservice.h"
#include "orb/wire/mtxarray.h"
#include "services/types/serviceapi.h"
#include "services/types/servicetables.h"

namespace {

bool isType(const std::unique_ptr<MtxObj> &object, const char *typeName)
{
    return object && std::strcmp(object->getTypeName(), typeName) == 0;
}

} // namespace

FactoryChain::FactoryChain() = default;

FactoryChain::~FactoryChain()
{
    for (Library &library : m_services)
        library.service.reset();
}

void FactoryChain::loadServiceLibraries(const std::string &folder, std::ostream &warnings)
{
    for (const ServiceTypeTable *table : serviceTypeTables()) {
        const std::string name = std::string("lib") + table->libraryName() + ".so";
        if (!std::filesystem::exists(std::filesystem::path(folder) / name))
            continue;
        PluginLibrary library = PluginLibrary::open(name, ServiceInterface, {folder});
        std::unique_ptr<OrbService> service = library.create<OrbService>();
        if (!service) {
            warnings << "orbcall: " << library.detail() << "; the types of " << table->serviceName()
                     << " are unknown\n";
            continue;
        }
        m_services.push_back({std::move(library), std::move(service)});
    }
}

void FactoryChain::preferService(const char *serviceName)
{
    for (std::size_t i = 0; i < m_services.size(); ++i) {
        if (std::strcmp(m_services[i].service->getServiceName(), serviceName) == 0) {
            std::rotate(m_services.begin(), m_services.begin() + static_cast<std::ptrdiff_t>(i),
                        m_services.begin() + static_cast<std::ptrdiff_t>(i) + 1);
            return;
        }
    }
}

std::unique_ptr<MtxObj> FactoryChain::createKnown(const char *typeName)
{
    if (typeName == nullptr)
        return nullptr;
    for (Library &library : m_services) {
        if (std::unique_ptr<MtxObj> object = library.service->createObject(typeName); isType(object, typeName))
            return object;
    }
    // An array without a service library makes its items through this chain.
    if (std::strcmp(typeName, "Orb.MtxArray") == 0) {
        auto array = std::make_unique<MtxArray>();
        array->setFactory(this);
        return array;
    }
    if (std::unique_ptr<MtxObj> object = frameworkFactory().createObject(typeName); isType(object, typeName))
        return object;
    return nullptr;
}

std::unique_ptr<MtxObj> FactoryChain::createObject(const char *typeName)
{
    std::unique_ptr<MtxObj> object = createKnown(typeName);
    return object ? std::move(object) : std::make_unique<MtxObj>();
}
