#include "tools/orbcall/factorychain.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include <dlfcn.h>

#include "orb/net/orbservice.h"
#include "orb/wire/mtxarray.h"
#include "services/types/serviceapi.h"

namespace {

constexpr const char *ServiceLibraries[] = {
    "libInventorySvc.so", "libAlarmSvc.so", "libAccessSvc.so", "libMapSvc.so", "libCatalogSvc.so",
};

bool isType(const std::unique_ptr<MtxObj> &object, const char *typeName)
{
    return object && std::strcmp(object->getTypeName(), typeName) == 0;
}

} // namespace

FactoryChain::FactoryChain() = default;

FactoryChain::~FactoryChain()
{
    for (Library &library : m_services)
        delete library.service;
    for (Library &library : m_services)
        dlclose(library.handle);
}

std::string FactoryChain::executableFolder()
{
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string(".") : path.parent_path().string();
}

void FactoryChain::loadServiceLibraries(const std::string &folder, std::ostream &warnings)
{
    for (const char *name : ServiceLibraries) {
        const std::string path = folder + "/" + name;
        if (!std::filesystem::exists(path))
            continue;
        void *handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            warnings << "orbcall: cannot load " << path << " (" << dlerror() << "); its types are unknown\n";
            continue;
        }
        auto version = reinterpret_cast<ServiceApiVersionFunction>(dlsym(handle, ServiceApiVersionSymbol));
        auto factory = reinterpret_cast<ServiceFactoryFunction>(dlsym(handle, ServiceFactorySymbol));
        if (version == nullptr || factory == nullptr || version() != ServiceApiVersion) {
            warnings << "orbcall: " << path << " is not a service library of this version; skipped\n";
            dlclose(handle);
            continue;
        }
        OrbService *service = factory();
        if (service == nullptr) {
            warnings << "orbcall: " << path << " gave no service object; skipped\n";
            dlclose(handle);
            continue;
        }
        m_services.push_back({handle, service});
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
