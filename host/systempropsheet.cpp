#include "host/systempropsheet.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "frame/proapp.h"
#include "host/syspropmainpage.h"
#include "host/syspropnav.h"

CSystemPropSheet::CSystemPropSheet(CProApp &app, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("SystemSet"));
    setObjectName(QStringLiteral("SystemPropSheet"));

    m_mainPage = new CSysPropMainPage(app, this);
    m_navPage = new CSysPropNav(app, this);
    m_tabs = new QTabWidget(this);
    m_tabs->addTab(m_mainPage, m_mainPage->Title());
    m_tabs->addTab(m_navPage, m_navPage->Title());
    m_mainPage->Create();
    // A tab click first asks the page being left; a refusal keeps it current.
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (index != m_current && !SetActivePage(index))
            m_tabs->setCurrentIndex(m_current);
    });

    const bool cn = app.GetLanguage() == QLatin1String("cn");
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(cn ? QStringLiteral("确定") : QStringLiteral("OK"), QDialogButtonBox::AcceptRole)
        ->setDefault(true);
    buttons->addButton(cn ? QStringLiteral("取消") : QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CSystemPropSheet::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
    setMinimumWidth(360);

    app.TranslateWindow(this);
}

CSysPropPage *CSystemPropSheet::Page(int index) const
{
    return qobject_cast<CSysPropPage *>(m_tabs->widget(index));
}

bool CSystemPropSheet::SetActivePage(int index)
{
    CSysPropPage *next = Page(index);
    if (!next)
        return false;
    if (index != m_current && !Page(m_current)->OnKillActive())
        return false;
    m_current = index;
    next->Create();
    if (m_tabs->currentIndex() != index)
        m_tabs->setCurrentIndex(index);
    return true;
}

void CSystemPropSheet::accept()
{
    if (!Page(m_current)->OnKillActive())
        return;
    for (int i = 0; i < m_tabs->count(); ++i) {
        if (Page(i)->IsCreated())
            Page(i)->OnOK();
    }
    QDialog::accept();
}
