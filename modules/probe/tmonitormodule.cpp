#include "modules/probe/tmonitormodule.h"

#include "frame/proapp.h"
#include "frame/prodoctemplate.h"
#include "modules/probe/tmonitordoc.h"
#include "modules/probe/tmonitorframe.h"

namespace {

const QString TMonitor = QStringLiteral("TMonitor");
const QString DocStrings = QStringLiteral("\nTMonitor\nTMonitor\n\n\nProBaseFrame.Document\nTMonitorDocument");

} // namespace

CTMonitorModule::CTMonitorModule()
{
    m_moduleName = TMonitor;
    m_docName = TMonitor;
    m_version = QStringLiteral("2.00");
}

int CTMonitorModule::LoadDocTemplate()
{
    m_docTemplate = new CProDocTemplate(
        ResourceId, DocStrings, [] { return new CTMonitorDoc; },
        [](CProBaseFrameDoc *document) { return new CTMonitorFrame(static_cast<CTMonitorDoc *>(document)); });
    return 1;
}

QString CTMonitorModule::GetDocName(const QString &)
{
    CProApp *app = GetApp();
    if (app && !app->CheckPermission(QString::fromLatin1(RightCode)))
        ++m_refusals;
    return m_docName;
}

QToolBar *CTMonitorModule::LoadSubToolBar(const QString &moduleName)
{
    CProChildFrame *frame = moduleName == TMonitor ? GetDocumentFrame(moduleName) : nullptr;
    return frame ? frame->CreateModuleToolBar(ResourceId) : nullptr;
}

// A device (its monitor tiles) and a monitor selected, a test run of the first
// tile when a probe channel is configured, its alert log, the add-device and
// add-monitor dialogs, and the window as they leave it.
std::vector<CTourVisit> CTMonitorModule::TourVisits(const QString &moduleName) const
{
    if (moduleName != TMonitor)
        return CProModule::TourVisits(moduleName);
    const QString firstTile = QStringLiteral("first:MonitorTiles");
    std::vector<CTourVisit> visits{{QStringLiteral("branch"), {}, QStringLiteral("device")}};
    const std::string probePort = GetApp() ? GetApp()->Profile().readString("SYS", "ProServerPort") : std::string();
    if (!probePort.empty() && probePort != "0")
        visits.push_back({firstTile, QStringLiteral("action:MonitorTiles/Test"), QStringLiteral("test-run")});
    visits.push_back({firstTile, QStringLiteral("action:MonitorTiles/Alert"), QStringLiteral("alert-log"), CTourVisit::Dialog});
    visits.push_back({QStringLiteral("branch/first"), {}, QStringLiteral("monitor")});
    visits.push_back({QStringLiteral("branch/parent"), QStringLiteral("toolbar:添加设备"), QStringLiteral("add-device"),
                      CTourVisit::Dialog});
    visits.push_back({QStringLiteral("branch"), QStringLiteral("toolbar:添加检测"), QStringLiteral("add-monitor"),
                      CTourVisit::Dialog});
    visits.push_back({});
    return visits;
}
