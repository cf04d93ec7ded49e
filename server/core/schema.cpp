#include "server/core/schema.h"

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

const TableSpec elements{"elements", &make<ElementObj>, {"ID"}, {"PID", "Type"}};
const TableSpec monitors{"monitors", &make<MonitorObj>, {"Id"}, {"ParentId"}};
const TableSpec alertRules{"alert_rules", &make<AlertRuleObj>, {"RuleID"}, {}, "AddDateTime"};
const TableSpec alertRuleParameters{"alert_rule_parameters", &make<AlertRuleParameterObj>, {"RuleID"}, {"RuleType"}};
const TableSpec alertSendTypeParameters{"alert_send_type_parameters", &make<AlertSendTypeParameterObj>, {"RuleID"}};
const TableSpec alertRuleTypeParameters{"alert_rule_type_parameters", &make<AlertRuleTypeParameterObj>, {}, {"RuleID"}};
const TableSpec alertMonitors{"alert_monitors", &make<AlertMonitorObj>, {"AlertRuleID", "MonitorId"}, {"MonitorId"}};
const TableSpec alertLogs{"alert_logs", &make<AlertLogObj>, {"AlertLogID"}, {"AlertRuleID", "MonitorId"}, "AlertDateTime"};
const TableSpec users{"users", &make<UserObj>, {"LoginName"}, {"DepartmentID", "RoleName"}};
const TableSpec roles{"roles", &make<RoleObj>, {"RoleName", "Code"}};
const TableSpec departments{"departments", &make<DepartmentObj>, {"ID"}, {"ParentID"}};
const TableSpec functionModules{"function_modules", &make<FunctionModuleObj>, {"Code"}};
const TableSpec sysLogs{"sys_logs", &make<SysLogObj>, {"ID"}, {}, "Date"};
const TableSpec topologyCells{"topology_cells", &make<TPInfoObj>, {"ID"}, {"PID"}};

std::span<const TableSpec *const> all()
{
    static const TableSpec *const tables[] = {
        &elements, &monitors, &alertRules, &alertRuleParameters, &alertSendTypeParameters,
        &alertRuleTypeParameters, &alertMonitors, &alertLogs, &users, &roles, &departments,
        &functionModules, &sysLogs, &topologyCells};
    return tables;
}

} // namespace schema
