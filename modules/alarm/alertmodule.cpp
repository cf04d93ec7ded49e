#include "modules/alarm/alertmodule.h"

#include "frame/prodoctemplate.h"
#include "modules/alarm/alertdoc.h"
#include "modules/alarm/alertframe.h"
#include "modules/alarm/alertruledialog.h"

namespace {
const QString Alert = QStringLiteral("Alert");
const QString DocStrings = QStringLiteral("\nAlert\nAlert\n\n\nProBaseFrame.Document\nAlertDocument");
} // namespace

CAlertModule::CAlertModule()
{
    m_moduleName = Alert;
    m_docName = Alert;
    m_version = QStringLiteral("2.00");
}

int CAlertModule::LoadDocTemplate()
{
    m_docTemplate = new CProDocTemplate(
        ResourceId, DocStrings, [] { return new CAlertDoc; },
        [](CProBaseFrameDoc *document) { return new CAlertFrame(static_cast<CAlertDoc *>(document)); });
    return 1;
}

int CAlertModule::LoadSubDocTemplate()
{
    return 1;
}

QString CAlertModule::GetDocName(const QString &moduleName)
{
    return moduleName == Alert ? Alert : QString();
}

QToolBar *CAlertModule::LoadSubToolBar(const QString &moduleName)
{
    CProChildFrame *frame = moduleName == Alert ? GetDocumentFrame(moduleName) : nullptr;
    return frame ? frame->CreateModuleToolBar(ResourceId) : nullptr;
}

// Beyond the rule list: the editor of the first rule and its monitor selection.
std::vector<CTourVisit> CAlertModule::TourVisits(const QString &moduleName) const
{
    std::vector<CTourVisit> visits = CProModule::TourVisits(moduleName);
    if (moduleName != Alert)
        return visits;
    visits.push_back({QStringLiteral("first:RuleList"), QStringLiteral("command:%1").arg(CAlertFrame::EditRule),
                      QStringLiteral("editor"), CTourVisit::Dialog});
    visits.push_back({{}, QStringLiteral("button:%1").arg(CAlertRuleDialog::MonitorButtonId),
                      QStringLiteral("monitors"), CTourVisit::Dialog});
    return visits;
}
