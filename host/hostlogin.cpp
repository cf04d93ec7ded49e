#include "host/hostlogin.h"

#include "frame/localtext.h"
#include "frame/proapp.h"
#include "host/logindialog.h"
#include "orb/net/orbclient.h"

namespace {

CHostLogin::DialogRunner &defaultRunner()
{
    static CHostLogin::DialogRunner runner = [](CLoginDialog &dialog) { return dialog.exec(); };
    return runner;
}

} // namespace

CHostLogin::CHostLogin(CProApp &app)
    : m_app(app), m_runner(defaultRunner())
{
}

void CHostLogin::setDefaultDialogRunner(DialogRunner runner)
{
    defaultRunner() = std::move(runner);
}

bool CHostLogin::run(QString &user, QString &password, QString &language, MtxUserSession &session)
{
    CLoginDialog dialog(m_app.Profile(), m_app.GetMainFrame());
    if (m_runner(dialog) != QDialog::Accepted)
        return false;
    user = dialog.userName();
    password = dialog.password();
    language = dialog.language();

    MtxStatus status;
    OrbClient *client = m_app.GetClient();
    if (!client) {
        status.set(MtxStatus::ClientExceptionCode, "no connection to the application server");
    } else {
        // The session's user name becomes the session-iD of every later request.
        const std::string localUser = toLocal(user);
        session.setUserName(localUser);
        client->login(status, localUser.c_str(), toLocal(password).c_str(), "version", session);
    }
    // Some client failures keep code "1" and say so only in the message.
    if (status.succeeded()) {
        m_app.WriteProfileString("SYS", QStringLiteral("sysdefaultuser"), user);
        return true;
    }
    m_app.ShowMessageBox(fromLocal(status.getMessage()), QString::fromUtf8(CProApp::MainTitle),
                         CProApp::MessageIcon::Error);
    return false;
}
