#include "server/core/schema.h"

#include "server/core/sessionrecord.h"
#include "services/types/alertlogobj.h"
#include "services/types/alertmonitorobj.h"
#include "services/types/alertruleobj.h"
#include "services/types/alertruleparameterobj.h"
#include "services/types/alertruletypeparameterobj.h"
#include "services/types/alertsendtypeparameterobj.h"
#include "services/types/departmentobj.h"
#include "services/types/elementobj.h"
#include "services/types/functionmoduleobj.h"
#include "services/types/monitorobj.h"
#include "services/types/roleobj.h"
#include "services/types/syslogobj.h"
#include "services/types/tpinfoobj.h"
#include "services/types/userobj.h"

namespace schema {

namespace {

template <class T>
std::unique_ptr<MtxRecord> make()
{
    return std::make_unique<T>();
}

} // namespace

const TableDefinition elements{"elements", &make<ElementObj>, {"ID"}, {"PID", "Type"}};
const TableDefinition monitors{"monitors", &make<MonitorObj>, {"Id"}, {"ParentId"}};
const TableDefinition alertRules{"alert_rules", &make<AlertRuleObj>, {"RuleID"}, {}, "AddDateTime"};
const TableDefinition alertRuleParameters{"alert_rule_parameters", &make<AlertRuleParameterObj>, {"RuleID"}, {"RuleType"}};
const TableDefinition alertSendTypeParameters{"alert_send_type_parameters", &make<AlertSendTypeParameterObj>, {"RuleID"}};
const TableDefinition alertRuleTypeParameters{"alert_rule_type_parameters", &make<AlertRuleTypeParameterObj>, {}, {"RuleID"}};
const TableDefinition alertMonitors{"alert_monitors", &make<AlertMonitorObj>, {"AlertRuleID", "MonitorId"}, {"MonitorId"}};
const TableDefinition alertLogs{"alert_logs", &make<AlertLogObj>, {"AlertLogID"}, {"AlertRuleID", "MonitorId"}, "AlertDateTime"};
const TableDefinition users{"users", &make<UserObj>, {"LoginName"}, {"DepartmentID", "RoleName"}};
const TableDefinition roles{"roles", &make<RoleObj>, {"RoleName", "Code"}};
const TableDefinition departments{"departments", &make<DepartmentObj>, {"ID"}, {"ParentID"}};
const TableDefinition functionModules{"function_modules", &make<FunctionModuleObj>, {"Code"}};
const TableDefinition sysLogs{"sys_logs", &make<SysLogObj>, {"ID"}, {}, "Date"};
const TableDefinition topologyCells{"topology_cells", &make<TPInfoObj>, {"ID"}, {"PID"}};
const TableDefinition sessions{"sessions", &make<SessionRecord>, {"User", "Peer"}};

std::span<const TableDefinition *const> all()
{
    static const TableDefinition *const tables[] = {
        &elements, &monitors, &alertRules, &alertRuleParameters, &alertSendTypeParameters,
        &alertRuleTypeParameters, &alertMonitors, &alertLogs, &users, &roles, &departments,
        &functionModules, &sysLogs, &topologyCells, &sessions};
    return tables;
}

} // namespace schema
