#include "services/types/servicetables.h"

#include <algorithm>
#include <array>
#include <vector>

#include "orb/wire/mtxarray.h"
#include "orb/wire/mtxobjid.h"
#include "orb/wire/mtxqueryresult.h"
#include "orb/wire/mtxstatus.h"
#include "orb/wire/mtxstring.h"
#include "orb/wire/mtxtree.h"
#include "orb/wire/mtxusersecurity.h"
#include "orb/wire/mtxusersession.h"
#include "services/types/alertlogobj.h"
#include "services/types/alertmonitorobj.h"
#include "services/types/alertruleobj.h"
#include "services/types/alertruleparameterobj.h"
#include "services/types/alertruletypeparameterobj.h"
#include "services/types/alertsendtypeparameterobj.h"
#include "services/types/cellobj.h"
#include "services/types/departmentobj.h"
#include "services/types/elementobj.h"
#include "services/types/entityobj.h"
#include "services/types/expressionparamitemobj.h"
#include "services/types/functionmoduleobj.h"
#include "services/types/monitorobj.h"
#include "services/types/monitorparamitemobj.h"
#include "services/types/paramobj.h"
#include "services/types/roleobj.h"
#include "services/types/stateconditionobj.h"
#include "services/types/syslogobj.h"
#include "services/types/systypeobj.h"
#include "services/types/tpinfoobj.h"
#include "services/types/userobj.h"

namespace {

constexpr bool CreatesItems = true;

// A record type's entry, named by its own layout.
template <class T>
TypeMaker record()
{
    return {T::recordLayout().typeName, &makeWireObject<T>};
}

template <class Node>
std::unique_ptr<MtxObj> makeTree()
{
    return std::make_unique<MtxTree>(std::make_unique<Node>());
}

template <std::size_t... N>
std::array<TypeMaker, (N + ...)> join(const std::array<TypeMaker, N> &...parts)
{
    std::array<TypeMaker, (N + ...)> all{};
    auto at = all.begin();
    ((at = std::copy(parts.begin(), parts.end(), at)), ...);
    return all;
}

// The framework types that open the tables of the four libraries whose tree
// nodes are departments.
std::array<TypeMaker, 7> frameworkTypes()
{
    return {{
        {"Orb.MtxObjID", &makeWireObject<MtxObjID>},
        {"Orb.MtxString", &makeWireObject<MtxString>},
        {"Orb.MtxStatus", &makeWireObject<MtxStatus>},
        {"Orb.MtxTree", &makeTree<DepartmentObj>},
        {"Orb.MtxArray", &makeWireObject<MtxArray>, CreatesItems},
        {"Orb.MtxUserSecurity", &makeWireObject<MtxUserSecurity>},
        {"Orb.MtxUserSession", &makeWireObject<MtxUserSession>},
    }};
}

std::array<TypeMaker, 1> queryResultType()
{
    return {{{"Orb.MtxQueryResult", &makeWireObject<MtxQueryResult>, CreatesItems}}};
}

std::array<TypeMaker, 5> securityTypes()
{
    return {record<DepartmentObj>(), record<RoleObj>(), record<FunctionModuleObj>(),
            record<SysLogObj>(), record<UserObj>()};
}

std::array<TypeMaker, 6> elementTypes()
{
    return {record<ElementObj>(),          record<ParamObj>(),
            record<MonitorObj>(),          record<StateConditionObj>(),
            record<MonitorParamItemObj>(), record<ExpressionParamItemObj>()};
}

std::array<TypeMaker, 6> alertTypes()
{
    return {record<AlertMonitorObj>(),           record<AlertLogObj>(),
            record<AlertRuleObj>(),              record<AlertRuleParameterObj>(),
            record<AlertRuleTypeParameterObj>(), record<AlertSendTypeParameterObj>()};
}

std::array<TypeMaker, 2> topologyTypes()
{
    return {record<DepartmentObj>(), record<TPInfoObj>()};
}

std::array<TypeMaker, 5> systemTypes()
{
    return {{
        {"Orb.MtxQueryResult", &makeWireObject<MtxQueryResult>, CreatesItems},
        {"Orb.MtxString", &makeWireObject<MtxString>},
        {"Orb.MtxTree", &makeTree<SysTypeObj>},
        record<SysTypeObj>(),
        {"Orb.MtxArray", &makeWireObject<MtxArray>, CreatesItems},
    }};
}

std::array<TypeMaker, 2> localTypes()
{
    return {record<EntityObj>(), record<CellObj>()};
}

} // namespace

const ServiceTypeTable &inventoryTypes()
{
    static const auto types = join(frameworkTypes(), securityTypes(), elementTypes());
    static const ServiceTypeTable table{"ElementService", "InventorySvc", types};
    return table;
}

const ServiceTypeTable &alarmTypes()
{
    static const auto types = join(frameworkTypes(), securityTypes(), alertTypes());
    static const ServiceTypeTable table{"AlertService", "AlarmSvc", types};
    return table;
}

const ServiceTypeTable &accessTypes()
{
    static const auto types = join(frameworkTypes(), queryResultType(), securityTypes());
    static const ServiceTypeTable table{"SecurityService", "AccessSvc", types};
    return table;
}

const ServiceTypeTable &mapTypes()
{
    static const auto types = join(frameworkTypes(), queryResultType(), topologyTypes());
    static const ServiceTypeTable table{"TPService", "MapSvc", types};
    return table;
}

const ServiceTypeTable &catalogTypes()
{
    static const auto types = systemTypes();
    static const ServiceTypeTable table{"SysService", "CatalogSvc", types};
    return table;
}

std::span<const ServiceTypeTable *const> serviceTypeTables()
{
    static const ServiceTypeTable *const tables[] = {&inventoryTypes(), &alarmTypes(),
                                                     &accessTypes(), &mapTypes(), &catalogTypes()};
    return tables;
}

const ServiceTypeTable *findServiceTypeTable(std::string_view serviceName)
{
    for (const ServiceTypeTable *table : serviceTypeTables()) {
        if (serviceName == table->serviceName())
            return table;
    }
    return nullptr;
}

const ServiceTypeTable &domainTypes()
{
    static const std::vector<TypeMaker> types = [] {
        std::vector<TypeMaker> all;
        auto add = [&all](std::span<const TypeMaker> part) {
            for (const TypeMaker &maker : part) {
                auto same = [&](const TypeMaker &known) {
                    return std::string_view(known.typeName) == maker.typeName;
                };
                if (std::none_of(all.begin(), all.end(), same))
                    all.push_back(maker);
            }
        };
        for (const ServiceTypeTable *table : serviceTypeTables())
            add(table->types());
        add(localTypes());
        return all;
    }();
    static const ServiceTypeTable table{"", "", types};
    return table;
}
