#include "modules/map/checkeddialog.h"

#include <QComboBox>
#include <QDialogButtonBox>

#include "frame/proapp.h"
#include "modules/map/tpcell.h"

void CCheckedDialog::accept()
{
    const QString problem = Check();
    if (problem.isEmpty()) {
        QDialog::accept();
        return;
    }
    if (CProApp *app = CProApp::instance())
        app->ShowMessage(problem);
}

QDialogButtonBox *CCheckedDialog::MakeButtons()
{
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    return buttons;
}

QComboBox *CCheckedDialog::MakeKindBox(int kind)
{
    auto *box = new QComboBox(this);
    box->addItem(QStringLiteral("状态元件"), CTPCell::StatusCell);
    box->addItem(QStringLiteral("控制元件"), CTPCell::ControlCell);
    box->setCurrentIndex(kind == CTPCell::ControlCell ? 1 : 0);
    return box;
}
