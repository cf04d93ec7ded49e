#include "frame/servicecall.h"

#include "frame/localtext.h"
#include "frame/proapp.h"
#include "frame/waitcursor.h"
#include "orb/net/orbservice.h"

MtxStatus RunServerCall(const std::function<MtxStatus()> &call, QWidget *)
{
    CWaitCursor wait;
    return call();
}

bool CallService(OrbService *service, const char *method, std::initializer_list<const MtxObj *> args,
                 MtxObj *response, QWidget *caller)
{
    CProApp *app = CProApp::instance();
    if (!service) {
        if (app)
            app->ShowMessage(QStringLiteral("The service for \"%1\" is not loaded: check [SYSTEMSERVICE] in Keelsys.ini")
                                 .arg(QString::fromLatin1(method)));
        return false;
    }
    const MtxStatus status = RunServerCall([&] { return service->invoke(method, args, response); }, caller);
    if (status.succeeded())
        return true;
    if (app)
        app->ShowMessage(fromLocal(status.getMessage()));
    return false;
}
