#include "modules/access/securitydoc.h"

#include <cstring>

#include <QDialog>

#include "frame/localtext.h"
#include "frame/proapp.h"
#include "frame/servicecall.h"
#include "orb/net/orbservice.h"

CSecurityDoc::CSecurityDoc(const QStringList &codes)
{
    CProApp *app = GetApp();
    if (!app)
        return;
    m_service = app->GetService(QString::fromLatin1(ServiceName));
    for (const QString &code : codes)
        if (app->CheckPermission(code))
            m_granted.insert(code);
}

MtxStatus CSecurityDoc::CallQuietly(const char *method, std::initializer_list<const MtxObj *> args,
                                    MtxObj *response) const
{
    if (!m_service) {
        MtxStatus missing;
        missing.setCode(MtxStatus::ClientExceptionCode);
        missing.setMessage(toLocal(QStringLiteral("没有安全服务(SecurityService)，请检查Keelsys.ini的服务配置")).c_str());
        return missing;
    }
    return RunServerCall([&] { return m_service->invoke(method, args, response); }, m_caller);
}

bool CSecurityDoc::Call(const char *method, std::initializer_list<const MtxObj *> args, MtxObj *response) const
{
    if (!m_service)
        return false;
    const MtxStatus status = CallQuietly(method, args, response);
    ShowCallFailure(status);
    return status.succeeded();
}

bool CSecurityDoc::CallOrSay(const QString &refusal, const char *method, std::initializer_list<const MtxObj *> args) const
{
    if (!m_service)
        return false;
    const MtxStatus status = CallQuietly(method, args);
    if (status.succeeded())
        return true;
    // Not reaching the server, or not being allowed, is not the refusal meant.
    const char *code = status.getCode();
    if (std::strcmp(code, MtxStatus::ClientExceptionCode) == 0 || std::strcmp(code, "NO_RIGHT") == 0
        || std::strcmp(code, "NO_SESSION") == 0)
        ShowCallFailure(status);
    else
        Say(refusal);
    return false;
}

void CSecurityDoc::Say(const QString &text) const
{
    if (CProApp *app = GetApp())
        app->ShowMessage(text);
}

bool CSecurityDoc::Ask(const QString &text) const
{
    CProApp *app = GetApp();
    return app && app->AskQuestion(text);
}

int CSecurityDoc::RunDialog(QDialog &dialog) const
{
    return m_runDialog ? m_runDialog(dialog) : dialog.exec();
}
