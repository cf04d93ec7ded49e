#include "frame/promodule.h"

#include "frame/proapp.h"
#include "frame/prochildframe.h"

namespace {
const QString Open = QStringLiteral("TRUE");
}

CProModule::CProModule() = default;

CProModule::~CProModule() = default;

int CProModule::LoadDocTemplate()
{
    m_docTemplate = nullptr;
    return 0;
}

int CProModule::LoadSubDocTemplate()
{
    return 1;
}

QString CProModule::GetDocName(const QString &)
{
    if (m_app)
        m_app->ShowMessage(QStringLiteral("not implement GetDocName(CString moduleName)!"));
    return m_docName;
}

QToolBar *CProModule::LoadSubToolBar(const QString &)
{
    if (m_app)
        m_app->ShowMessage(QStringLiteral("not implement LoadSubToolBar(CString moduleName)!"));
    return nullptr;
}

int CProModule::Initialize()
{
    return LoadDocTemplate();
}

int CProModule::HideNavigation()
{
    return m_hidesNavigation;
}

QString CProModule::ModuleInvoke(const QString &, const MtxObj *const *)
{
    return {};
}

QString CProModule::ModuleDlgInvoke(const QString &, const MtxObj *const *)
{
    return {};
}

std::vector<CTourVisit> CProModule::TourVisits(const QString &) const
{
    return {{QStringLiteral("first"), {}, {}}};
}

bool CProModule::IsDocumentOpen(const QString &name) const
{
    return m_openDocuments.value(name) == Open;
}

void CProModule::SetDocumentOpen(const QString &name, bool open)
{
    if (open)
        m_openDocuments.insert(name, Open);
    else
        m_openDocuments.remove(name);
}

CProChildFrame *CProModule::GetDocumentFrame(const QString &name) const
{
    return m_documentFrames.value(name);
}

void CProModule::SetDocumentFrame(const QString &name, CProChildFrame *frame)
{
    m_documentFrames.insert(name, frame);
}
