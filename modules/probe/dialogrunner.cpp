#include "modules/probe/dialogrunner.h"

#include <QDialog>
#include <QDialogButtonBox>

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

QDialogButtonBox *OkCancel(QDialog &dialog)
{
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    return buttons;
}

} // namespace DialogRunner
