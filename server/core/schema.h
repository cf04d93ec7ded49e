#pragma once

#include <span>

#include "server/storage/tabledefinition.h"

// The tables of the server: one per stored record type.
namespace schema {

extern const TableDefinition elements;          // ElementObj: groups, devices, and a mirror of every monitor
extern const TableDefinition monitors;          // MonitorObj with parameters and conditions
extern const TableDefinition alertRules;        // AlertRuleObj
extern const TableDefinition alertRuleParameters;     // AlertRuleParameterObj, one per rule
extern const TableDefinition alertSendTypeParameters; // AlertSendTypeParameterObj, one per rule
extern const TableDefinition alertRuleTypeParameters; // AlertRuleTypeParameterObj, many per rule
extern const TableDefinition alertMonitors;     // AlertMonitorObj
extern const TableDefinition alertLogs;         // AlertLogObj
extern const TableDefinition users;             // UserObj
extern const TableDefinition roles;             // RoleObj, one row per granted code
extern const TableDefinition departments;       // DepartmentObj
extern const TableDefinition functionModules;   // FunctionModuleObj
extern const TableDefinition sysLogs;           // SysLogObj
extern const TableDefinition topologyCells;     // TPInfoObj
extern const TableDefinition sessions;          // SessionRecord: who is logged in from where

std::span<const TableDefinition *const> all();

} // namespace schema
