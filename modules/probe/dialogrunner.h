#pragma once

#include <functional>

class QDialog;
class QDialogButtonBox;

// Runs ProbeDesk's modal dialogs: exec() normally; tests install a runner
// that fills the dialog and answers it. Also the dialogs' common buttons.
namespace DialogRunner {

using Runner = std::function<int(QDialog &dialog)>;

int Run(QDialog &dialog);
// Replaces the runner; an empty runner restores exec().
void SetRunner(Runner runner);

// The OK and Cancel buttons of dialog, wired to accept() and reject(); the
// caller places them.
QDialogButtonBox *OkCancel(QDialog &dialog);

} // namespace DialogRunner
