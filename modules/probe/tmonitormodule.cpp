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
