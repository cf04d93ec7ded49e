#include "host/syspropnav.h"

#include <QRadioButton>
#include <QVBoxLayout>

#include "frame/proapp.h"

CSysPropNav::CSysPropNav(CProApp &app, QWidget *parent)
    : CSysPropPage(app, app.GetLanguage() == QLatin1String("cn") ? QStringLiteral("导航设置")
                                                                  : QStringLiteral("navigater set"),
                   parent)
{
    const bool cn = IsChinese();
    setObjectName(cn ? QStringLiteral("dialog174") : QStringLiteral("dialog175"));
    m_groupIcon = new QRadioButton(cn ? QStringLiteral("分组图标型") : QStringLiteral("group icon"), this);
    m_groupIcon->setObjectName(QStringLiteral("control178"));
    m_tree = new QRadioButton(cn ? QStringLiteral("树状导航型") : QStringLiteral("tree icon"), this);
    m_tree->setObjectName(QStringLiteral("control179"));
    // Only a click changes the kind: a value other than "1" or "2" read from
    // the file is kept as it is unless the operator picks one.
    connect(m_groupIcon, &QRadioButton::clicked, this, [this] { m_kind = QStringLiteral("1"); });
    connect(m_tree, &QRadioButton::clicked, this, [this] { m_kind = QStringLiteral("2"); });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_groupIcon);
    layout->addWidget(m_tree);
    layout->addStretch();
}

void CSysPropNav::OnInitPage()
{
    m_kind = m_app.GetProfileString("SYS", QStringLiteral("nav"), QStringLiteral("1"));
    (m_kind == QLatin1String("1") ? m_groupIcon : m_tree)->setChecked(true);
}

void CSysPropNav::OnOK()
{
    m_app.WriteProfileString("SYS", QStringLiteral("nav"), m_kind);
}
