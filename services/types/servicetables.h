#pragma once

#include <span>
#include <string_view>

#include "services/types/servicetypetable.h"

// The factory table of each service library, in the order of comparison.
// Every "Orb.MtxTree" carries the library's node record: DepartmentObj, or
// SysTypeObj in the system service.
KEEL_EXPORT const ServiceTypeTable &inventoryTypes(); // "ElementService", InventorySvc
KEEL_EXPORT const ServiceTypeTable &alarmTypes();     // "AlertService", AlarmSvc
KEEL_EXPORT const ServiceTypeTable &accessTypes();    // "SecurityService", AccessSvc
KEEL_EXPORT const ServiceTypeTable &mapTypes();       // "TPService", MapSvc
KEEL_EXPORT const ServiceTypeTable &catalogTypes();   // "SysService", CatalogSvc

// The five tables above, in that order.
KEEL_EXPORT std::span<const ServiceTypeTable *const> serviceTypeTables();
// The table of the service with that name, or null.
KEEL_EXPORT const ServiceTypeTable *findServiceTypeTable(std::string_view serviceName);

// Every type any service knows, each once (first occurrence wins, so
// "Orb.MtxTree" carries DepartmentObj nodes), plus the local EntityObj and
// CellObj.
KEEL_EXPORT const ServiceTypeTable &domainTypes();
