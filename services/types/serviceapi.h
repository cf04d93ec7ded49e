#pragma once

// The contract between the host and a service library. A library exports
//   extern "C" OrbService *GetServiceInstance();   a new service object, owned by the caller
//   extern "C" int GetServiceApiVersion();        the ServiceApiVersion it was built with
// and the host calls the factory only when the version matches its own.

#include "orb/plugin/plugininterface.h"

class OrbService;

inline constexpr int ServiceApiVersion = 1;
inline constexpr const char *ServiceFactorySymbol = "GetServiceInstance";
inline constexpr const char *ServiceApiVersionSymbol = "GetServiceApiVersion";

inline constexpr PluginInterface ServiceInterface{"service", ServiceFactorySymbol, ServiceApiVersionSymbol,
                                                 ServiceApiVersion};
