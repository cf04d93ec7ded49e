#include "modules/probe/dialogrunner.h"

#include <QDialog>

namespace DialogRunner {

namespace {

Runner &Current()
{
    static Runner runner;
    return runner;
}

} // namespace

int Run(QDialog &dialog)
{
    return Current() ? Current()(dialog) : dialog.exec();
}

void SetRunner(Runner runner)
{
    Current() = std::move(runner);
}

} // namespace DialogRunner
