#pragma once

#include <QString>

// Messages and questions of ProbeDesk go through the application's hooks
// (which tests replace); without an application nothing is shown.
namespace ProbeMessage {

void Tell(const QString &message);
// True when the operator agrees.
bool Ask(const QString &question);
// Shows message when it is not empty; true when it was empty (the check passed).
bool Passed(const QString &message);

} // namespace ProbeMessage
