#pragma once

#include <new>

#include "orb/wire/keelexport.h"
#include "services/frame/tableservice.h"
#include "services/types/serviceapi.h"

// Defines the two exports of a service library whose service object is a
// TableService over the table that tableFunction() returns. Each call of
// GetServiceInstance makes a new object (null when memory is exhausted).
#define KEEL_SERVICE_LIBRARY(tableFunction)                                                       \
    extern "C" KEEL_EXPORT OrbService *GetServiceInstance()                                       \
    {                                                                                             \
        try {                                                                                     \
            return new (std::nothrow) TableService(tableFunction());                              \
        } catch (...) {                                                                           \
            return nullptr;                                                                       \
        }                                                                                         \
    }                                                                                             \
    extern "C" KEEL_EXPORT int GetServiceApiVersion()                                            \
    {                                                                                             \
        return ServiceApiVersion;                                                                 \
    }
