#pragma once

#include <string>

#include "frame/alertlog/alertlogsource.h"

class OrbService;
class QWidget;

// An alert log read and cleared through "AlertService": one find and one
// delete method, each called with the identifier of a monitor or a rule.
class KEEL_EXPORT CServiceAlertLogSource : public CAlertLogSource
{
public:
    // The monitoring module's log of one monitor.
    static CServiceAlertLogSource ByMonitor(OrbService *service, std::string monitorId, QWidget *caller = nullptr);
    // The alerting module's log of one rule.
    static CServiceAlertLogSource ByRule(OrbService *service, std::string ruleId, QWidget *caller = nullptr);

    CServiceAlertLogSource(OrbService *service, std::string id, const char *findMethod, const char *clearMethod,
                           QWidget *caller = nullptr);

    // Without an identifier nothing is asked and the log is empty.
    bool Fetch(MtxArray &entries) override;
    bool Clear() override;

private:
    OrbService *m_service;
    std::string m_id;
    const char *m_findMethod;
    const char *m_clearMethod;
    QWidget *m_caller;
};
