#include "host/aboutdialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "frame/proapp.h"
#include "frame/promodule.h"
#include "orb/net/orbservice.h"

CAboutDialog::CAboutDialog(const CProApp &app, QWidget *parent)
    : QDialog(parent)
    , m_list(new QListWidget(this))
{
    setObjectName(QStringLiteral("100"));
    setWindowTitle(QString::fromUtf8(CProApp::MainTitle));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QString::fromUtf8(CProApp::MainTitle), this));
    m_list->addItems(Lines(app));
    layout->addWidget(m_list);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

QStringList CAboutDialog::Lines(const CProApp &app)
{
    QStringList lines;
    for (const auto &[name, module] : app.Modules().entries())
        lines.append(QStringLiteral("M: ") + app.Translate(name) + QStringLiteral("  VER: ") + module->GetVersion());
    for (const auto &[name, service] : app.Services().entries())
        lines.append(QStringLiteral("S: ") + app.Translate(name) + QStringLiteral("  VER: ")
                     + QString::fromLatin1(service->getVersion()));
    return lines;
}
