#pragma once

#include <chrono>

#include <QStringList>

#include "modules/probe/statuschannel.h"

class CTMonitorDoc;
class ElementObj;
struct MonitorKind;

// What the module asks the probe server: a monitor run once ("Test") and the
// entries of a dynamic-list parameter. The endpoint is read from Keelsys.ini
// ("SYS" "mainServerIP", "ProServerPort") under the "StatView" lock. Every
// failure is shown through the application's message hook.
class CProbeRunner
{
public:
    CProbeRunner();
    CProbeRunner(CStatusChannel::Limits limits, std::chrono::milliseconds lockWait);

    // Empty with endpoint set, or what is missing.
    QString ReadEndpoint(CStatusChannel::Endpoint &endpoint) const;

    // Selects the device and the monitor, then runs the monitor once on the
    // probe. True only when the exchange completed (the caller then refreshes).
    bool Test(CTMonitorDoc &document, const QString &deviceId, const QString &monitorId);
    // The entries of kind's dynamic list for device; ok false (message shown)
    // when the list could not be had, the entries are then empty.
    QStringList DynamicList(const ElementObj &device, const MonitorKind &kind, bool *ok = nullptr);

private:
    // Exchanges fields on a channel to the configured endpoint; true on success.
    bool Exchange(const char *kind, const std::vector<std::string> &fields, std::string *reply);

    CStatusChannel::Limits m_limits;
    std::chrono::milliseconds m_lockWait;
};
