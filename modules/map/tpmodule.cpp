#include "modules/map/tpmodule.h"

#include "frame/proapp.h"
#include "frame/prodoctemplate.h"
#include "modules/map/tpdoc.h"
#include "modules/map/tpframe.h"

namespace {

const QString TP = QStringLiteral("TP");
const QString DocStrings = QStringLiteral("\nTP\nTP\n\n\nProBaseFrame.Document\nTPDocument");

CProDocTemplate *MakeTemplate()
{
    return new CProDocTemplate(
        CTPModule::ResourceId, DocStrings, [] { return new CTPDoc; },
        [](CProBaseFrameDoc *document) { return new CTPFrame(static_cast<CTPDoc *>(document)); });
}

} // namespace

CTPModule::CTPModule()
{
    m_moduleName = TP;
    m_docName = TP;
    m_version = QStringLiteral("2.00");
}

int CTPModule::LoadDocTemplate()
{
    m_docTemplate = MakeTemplate();
    return 1;
}

int CTPModule::LoadSubDocTemplate()
{
    if (CProApp *app = GetApp())
        app->AddSubDocTemplate(std::unique_ptr<CProDocTemplate>(MakeTemplate()), TP, this);
    return 1;
}

QString CTPModule::GetDocName(const QString &)
{
    CProApp *app = GetApp();
    if (app && !app->CheckPermission(QString::fromLatin1(RightsCode)))
        ++m_refusals;
    return m_docName;
}

QToolBar *CTPModule::LoadSubToolBar(const QString &moduleName)
{
    CProChildFrame *frame = moduleName == TP ? GetDocumentFrame(moduleName) : nullptr;
    return frame ? frame->CreateModuleToolBar(ResourceId) : nullptr;
}

// Beyond the top picture: the sub-picture of its first cell (double click),
// then the drawing mode with a cell selected.
std::vector<CTourVisit> CTPModule::TourVisits(const QString &moduleName) const
{
    std::vector<CTourVisit> visits = CProModule::TourVisits(moduleName);
    if (moduleName != TP)
        return visits;
    visits.push_back({QStringLiteral("doubleclick:TPCell"), {}, QStringLiteral("sub")});
    visits.push_back({{}, QStringLiteral("action:TPDrawMode"), {}, CTourVisit::None});
    visits.push_back({QStringLiteral("click:TPCell"), {}, QStringLiteral("edit")});
    return visits;
}
