#include "frame/alertlog/servicealertlogsource.h"

#include "frame/servicecall.h"
#include "orb/net/orbservice.h"
#include "orb/wire/mtxarray.h"
#include "orb/wire/mtxstring.h"

CServiceAlertLogSource CServiceAlertLogSource::ByMonitor(OrbService *service, std::string monitorId, QWidget *caller)
{
    return {service, std::move(monitorId), "findAlertLogArrayByMonitorID", "deleteAlertLogByMonitorID", caller};
}

CServiceAlertLogSource CServiceAlertLogSource::ByRule(OrbService *service, std::string ruleId, QWidget *caller)
{
    return {service, std::move(ruleId), "findAlertLogArrayByRuleID", "deleteAlertLogByRuleID", caller};
}

CServiceAlertLogSource::CServiceAlertLogSource(OrbService *service, std::string id, const char *findMethod,
                                               const char *clearMethod, QWidget *caller)
    : m_service(service)
    , m_id(std::move(id))
    , m_findMethod(findMethod)
    , m_clearMethod(clearMethod)
    , m_caller(caller)
{
}

bool CServiceAlertLogSource::Fetch(MtxArray &entries)
{
    entries.clear();
    if (m_id.empty())
        return true;
    const MtxString id(m_id.c_str());
    // The entries are made by the service's factory, as AlertLogObj.
    entries.setFactory(m_service);
    return CallService(m_service, m_findMethod, {&id}, &entries, m_caller);
}

bool CServiceAlertLogSource::Clear()
{
    if (m_id.empty())
        return true;
    const MtxString id(m_id.c_str());
    return CallService(m_service, m_clearMethod, {&id}, nullptr, m_caller);
}
