#pragma once

#include <functional>

#include <QString>

class CLoginDialog;
class CProApp;
class MtxUserSession;

// The host's login: the login dialog, then the "login" request through the
// "sys" client. A refusal shows the server's message and gives false (the
// program then ends); a success remembers the user name in Keelsys.ini.
class CHostLogin
{
public:
    // Runs the dialog modally and gives its result; tests and the demo tour
    // put in a runner that fills it without a person.
    using DialogRunner = std::function<int(CLoginDialog &)>;

    explicit CHostLogin(CProApp &app);

    void setDialogRunner(DialogRunner runner) { m_runner = std::move(runner); }
    // A runner set for every following login of this process (the demo tour).
    static void setDefaultDialogRunner(DialogRunner runner);

    bool run(QString &user, QString &password, QString &language, MtxUserSession &session);

private:
    CProApp &m_app;
    DialogRunner m_runner;
};
