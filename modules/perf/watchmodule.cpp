#include "modules/perf/watchmodule.h"

#include "frame/proapp.h"
#include "frame/prodoctemplate.h"
#include "modules/perf/watchdoc.h"
#include "modules/perf/watchframe.h"

namespace {

const QString Watch = QStringLiteral("Watch");
const QString DocStrings = QStringLiteral("\nWatch\nWatch\n\n\nProBaseFrame.Document\nWatchDocument");

CProDocTemplate *MakeTemplate()
{
    return new CProDocTemplate(
        CWatchModule::ResourceId, DocStrings, [] { return new CWatchDoc; },
        [](CProBaseFrameDoc *document) { return new CWatchFrame(static_cast<CWatchDoc *>(document)); });
}

} // namespace

CWatchModule::CWatchModule()
{
    m_moduleName = Watch;
    m_docName = Watch;
    m_version = QStringLiteral("2.00");
}

int CWatchModule::LoadDocTemplate()
{
    m_docTemplate = MakeTemplate();
    return 1;
}

int CWatchModule::LoadSubDocTemplate()
{
    if (CProApp *app = GetApp())
        app->AddSubDocTemplate(std::unique_ptr<CProDocTemplate>(MakeTemplate()), Watch, this);
    return 1;
}

QString CWatchModule::GetDocName(const QString &)
{
    return Watch;
}

QToolBar *CWatchModule::LoadSubToolBar(const QString &moduleName)
{
    CProChildFrame *frame = moduleName == Watch ? GetDocumentFrame(moduleName) : nullptr;
    return frame ? frame->CreateModuleToolBar(ResourceId) : nullptr;
}
