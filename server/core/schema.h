#pragma once

#include <span>

#include "server/storage/tablespec.h"

// The tables of the server: one per stored record type.
namespace schema {

extern const TableSpec elements;          // ElementObj: groups, devices, and a mirror of every monitor
extern const TableSpec monitors;          // MonitorObj with parameters and conditions
extern const TableSpec alertRules;        // AlertRuleObj
extern const TableSpec alertRuleParameters;     // AlertRuleParameterObj, one per rule
extern const TableSpec alertSendTypeParameters; // AlertSendTypeParameterObj, one per rule
extern const TableSpec alertRuleTypeParameters; // AlertRuleTypeParameterObj, many per rule
extern const TableSpec alertMonitors;     // AlertMonitorObj
extern const TableSpec alertLogs;         // AlertLogObj
extern const TableSpec users;             // UserObj
extern const TableSpec roles;             // RoleObj, one row per granted code
extern const TableSpec departments;       // DepartmentObj
extern const TableSpec functionModules;   // FunctionModuleObj
extern const TableSpec sysLogs;           // SysLogObj
extern const TableSpec topologyCells;     // TPInfoObj

std::span<const TableSpec *const> all();

} // namespace schema
