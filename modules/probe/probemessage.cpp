#include "modules/probe/probemessage.h"

#include "frame/proapp.h"

namespace ProbeMessage {

void Tell(const QString &message)
{
    if (CProApp *app = CProApp::instance())
        app->ShowMessage(message);
}

bool Ask(const QString &question)
{
    CProApp *app = CProApp::instance();
    return app && app->AskQuestion(question);
}

bool Passed(const QString &message)
{
    if (message.isEmpty())
        return true;
    Tell(message);
    return false;
}

} // namespace ProbeMessage
