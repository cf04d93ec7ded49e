#include "host/sysproppage.h"

#include <QLineEdit>

#include "frame/proapp.h"

CSysPropPage::CSysPropPage(CProApp &app, const QString &title, QWidget *parent)
    : QWidget(parent), m_app(app), m_title(title)
{
}

void CSysPropPage::Create()
{
    if (m_created)
        return;
    m_created = true;
    OnInitPage();
}

bool CSysPropPage::IsChinese() const
{
    return m_app.GetLanguage() == QLatin1String("cn");
}

void CSysPropPage::Refuse(QWidget *control, const QString &message)
{
    m_app.ShowMessageBox(message, QString::fromUtf8(CProApp::MainTitle), CProApp::MessageIcon::Warning);
    control->setFocus();
    if (auto *edit = qobject_cast<QLineEdit *>(control))
        edit->selectAll();
}
