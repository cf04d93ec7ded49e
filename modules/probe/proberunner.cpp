#include "modules/probe/proberunner.h"

#include "frame/proapp.h"
#include "frame/waitcursor.h"
#include "modules/probe/monitorlibrary.h"
#include "modules/probe/probemessage.h"
#include "modules/probe/tmonitordoc.h"
#include "orb/profile/lockedprofile.h"
#include "services/types/elementobj.h"
#include "services/types/monitorobj.h"

CProbeRunner::CProbeRunner() : CProbeRunner(CStatusChannel::Limits(), NamedLock::DefaultWait) {}

CProbeRunner::CProbeRunner(CStatusChannel::Limits limits, std::chrono::milliseconds lockWait)
    : m_limits(limits), m_lockWait(lockWait)
{
}

QString CProbeRunner::ReadEndpoint(CStatusChannel::Endpoint &endpoint) const
{
    CProApp *app = CProApp::instance();
    if (!app)
        return QStringLiteral("没有设置探测服务器：找不到 Keelsys.ini");
    LockedProfile settings(app->Profile().path(), LockedProfile::DefaultLockName, NamedLock::runtimeFolder(), m_lockWait);
    const std::optional<std::string> address = settings.readString("SYS", "mainServerIP");
    const std::optional<std::string> port = address ? settings.readString("SYS", "ProServerPort") : std::nullopt;
    if (!port)
        return QStringLiteral("无法读取探测服务器的设置：%1").arg(QString::fromStdString(settings.error()));
    return CStatusChannel::EndpointFrom(*address, *port, endpoint);
}

bool CProbeRunner::Exchange(const char *kind, const std::vector<std::string> &fields, std::string *reply)
{
    CStatusChannel::Endpoint endpoint;
    if (!ProbeMessage::Passed(ReadEndpoint(endpoint)))
        return false;
    CStatusChannel channel(endpoint, m_limits);
    const CWaitCursor wait;
    const QString failure = channel.Exchange(kind, fields);
    if (reply)
        *reply = channel.Reply();
    return ProbeMessage::Passed(failure);
}

bool CProbeRunner::Test(CTMonitorDoc &document, const QString &deviceId, const QString &monitorId)
{
    ElementObj device;
    MonitorObj monitor;
    if (!document.SelectElement(deviceId, device) || !document.SelectMonitor(monitorId, monitor))
        return false;
    const MonitorKind *kind = document.Library().Find(QString::fromStdString(monitor.get(MonitorObj::MonitorType)));
    if (!kind) {
        ProbeMessage::Tell(QStringLiteral("检测库中没有类型 %1：请检查 config/MonitorLibrary.config")
                               .arg(QString::fromStdString(monitor.get(MonitorObj::MonitorType))));
        return false;
    }
    return Exchange("DT", CStatusChannel::TestFields(monitor, device, *kind), nullptr);
}

QStringList CProbeRunner::DynamicList(const ElementObj &device, const MonitorKind &kind, bool *ok)
{
    std::string reply;
    const bool done = Exchange("DL", CStatusChannel::ListFields(device, kind), &reply);
    if (ok)
        *ok = done;
    return done ? CStatusChannel::ListEntries(reply) : QStringList();
}
