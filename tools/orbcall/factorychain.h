#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "orb/plugin/pluginlibrary.h"
#include "orb/wire/mtxfactory.h"

class OrbService;

// Creates wire objects by type name for the tool: the service libraries found
// beside the executable are asked first (the called service's own library
// before the others), then the framework types. A factory's answer counts
// only when it is an object of the requested type, since every factory turns
// names it does not know into a plain MtxObj.
class FactoryChain : public MtxFactory
{
public:
    FactoryChain();
    // Deletes the service objects, then unloads their libraries: every object
    // they created must be gone by then.
    ~FactoryChain() override;
    FactoryChain(const FactoryChain &) = delete;
    FactoryChain &operator=(const FactoryChain &) = delete;

    // Loads each service library of the service type table that is present in
    // folder. A library that is present but unusable is reported on warnings
    // and skipped.
    void loadServiceLibraries(const std::string &folder, std::ostream &warnings);
    // Asks the library of this service first.
    void preferService(const char *serviceName);
    std::size_t serviceCount() const { return m_services.size(); }

    // Null when no factory knows typeName.
    std::unique_ptr<MtxObj> createKnown(const char *typeName);
    // As createKnown, with a plain MtxObj for unknown names.
    std::unique_ptr<MtxObj> createObject(const char *typeName) override;

private:
    struct Library
    {
        PluginLibrary library;
        std::unique_ptr<OrbService> service;
    };

    std::vector<Library> m_services;
};
