#include "modules/access/securitymodule.h"

#include "frame/proapp.h"
#include "frame/promainframe.h"
#include "frame/prodoctemplate.h"
#include "modules/access/departmentdoc.h"
#include "modules/access/departmentframe.h"
#include "modules/access/roledoc.h"
#include "modules/access/roleframe.h"
#include "modules/access/syslogdoc.h"
#include "modules/access/syslogframe.h"
#include "modules/access/userdoc.h"
#include "modules/access/userframe.h"

namespace {

// One window of the module, described once.
struct Window
{
    const char *name;
    int resource;
    const char *viewRight;
    CProDocTemplate *(*make)(int resource, const QString &name);
};

template <class Doc, class Frame>
CProDocTemplate *MakeTemplate(int resource, const QString &name)
{
    const QString strings = QStringLiteral("\n%1\n%1\n\n\nProBaseFrame.Document\n%1Document").arg(name);
    return new CProDocTemplate(
        resource, strings, [] { return new Doc; },
        [](CProBaseFrameDoc *document) { return new Frame(static_cast<Doc *>(document)); });
}

const Window windows[] = {
    {"Department", CSecurityModule::DepartmentResource, "1000", &MakeTemplate<CDepartmentDoc, CDepartmentFrame>},
    {"Role", CSecurityModule::RoleResource, "1001", &MakeTemplate<CRoleDoc, CRoleFrame>},
    {"User", CSecurityModule::UserResource, "1002", &MakeTemplate<CUserDoc, CUserFrame>},
    {"SysLog", CSecurityModule::SysLogResource, "1003", &MakeTemplate<CSysLogDoc, CSysLogFrame>},
};

const Window *Find(const QString &name)
{
    for (const Window &window : windows)
        if (name == QLatin1String(window.name))
            return &window;
    return nullptr;
}

} // namespace

CSecurityModule::CSecurityModule()
{
    m_moduleName = QStringLiteral("Department");
    m_docName = QStringLiteral("Department");
    m_version = QStringLiteral("2.00");
}

int CSecurityModule::LoadDocTemplate()
{
    const Window &first = windows[0];
    m_docTemplate = first.make(first.resource, QLatin1String(first.name));
    return 1;
}

int CSecurityModule::LoadSubDocTemplate()
{
    CProApp *app = GetApp();
    if (!app)
        return 0;
    for (const Window &window : windows) {
        if (&window == &windows[0])
            continue;
        const QString name = QLatin1String(window.name);
        app->AddSubDocTemplate(std::unique_ptr<CProDocTemplate>(window.make(window.resource, name)), name, this);
    }
    return 1;
}

QString CSecurityModule::GetDocName(const QString &moduleName)
{
    const Window *window = Find(moduleName);
    CProApp *app = GetApp();
    if (window && app && app->CheckPermission(QLatin1String(window->viewRight)))
        return moduleName;
    // Said at every refusal: the user asked for a window and gets nothing.
    if (app)
        app->ShowMessage(QStringLiteral("没有此模块权限!"));
    if (CProMainFrame *frame = app ? app->GetMainFrame() : nullptr)
        frame->ShowNavigationBar(true);
    return {};
}

QToolBar *CSecurityModule::LoadSubToolBar(const QString &moduleName)
{
    const Window *window = Find(moduleName);
    CProChildFrame *frame = window ? GetDocumentFrame(moduleName) : nullptr;
    return frame ? frame->CreateModuleToolBar(window->resource) : nullptr;
}
