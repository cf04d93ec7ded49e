#pragma once

#include <functional>

class QDialog;

// Runs ProbeDesk's modal dialogs: exec() normally; tests install a runner
// that fills the dialog and answers it.
namespace DialogRunner {

using Runner = std::function<int(QDialog &dialog)>;

int Run(QDialog &dialog);
// Replaces the runner; an empty runner restores exec().
void SetRunner(Runner runner);

} // namespace DialogRunner
