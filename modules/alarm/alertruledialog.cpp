#include "modules/alarm/alertruledialog.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "frame/proapp.h"
#include "modules/alarm/alerteditorpanel.h"

namespace {

constexpr QSize InitialSize(880, 560);

void Tell(const QString &text)
{
    if (CProApp *app = CProApp::instance())
        app->ShowMessage(text);
}

// Local time as the rules carry it: no zero padding.
std::string TimeText(const QDateTime &time)
{
    const QDate date = time.date();
    const QTime clock = time.time();
    return QStringLiteral("%1-%2-%3 %4:%5:%6")
        .arg(date.year())
        .arg(date.month())
        .arg(date.day())
        .arg(clock.hour())
        .arg(clock.minute())
        .arg(clock.second())
        .toStdString();
}

} // namespace

CAlertRuleDialog::CAlertRuleDialog(CRuleRecords records, bool add, SaveFunction save, MonitorFunction selectMonitors,
                                   QWidget *parent)
    : QDialog(parent)
    , m_records(std::move(records))
    , m_add(add)
    , m_save(std::move(save))
    , m_selectMonitors(std::move(selectMonitors))
    , m_panel(new CAlertEditorPanel(this))
    , m_monitors(new QPushButton(QStringLiteral("检测"), this))
    , m_ok(new QPushButton(QStringLiteral("确定"), this))
    , m_cancel(new QPushButton(QStringLiteral("取消"), this))
{
    setObjectName(QStringLiteral("AlertRuleDialog"));
    setWindowTitle(add ? QStringLiteral("添加报警") : QStringLiteral("编辑报警"));
    m_monitors->setObjectName(QString::number(MonitorButtonId));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_monitors);
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_panel);
    layout->addLayout(buttons);
    resize(InitialSize);
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &CAlertRuleDialog::Confirm);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_monitors, &QPushButton::clicked, this, &CAlertRuleDialog::ChooseMonitors);

    m_panel->Build();
    if (!m_panel->Warnings().isEmpty())
        Tell(m_panel->Warnings().join(QLatin1Char('\n')));
    if (!m_add)
        m_panel->Load(m_records);
}

QString CAlertRuleDialog::Check() const
{
    return m_panel->Check();
}

bool CAlertRuleDialog::Confirm()
{
    const QString problem = Check();
    if (!problem.isEmpty()) {
        Tell(problem);
        return false;
    }
    CRuleRecords records = m_records;
    m_panel->Save(records);
    if (m_add)
        records.rule.set(AlertRuleObj::AddDateTime, TimeText(QDateTime::currentDateTime()));
    if (m_save && !m_save(records))
        return false;
    m_records = std::move(records);
    accept();
    return true;
}

void CAlertRuleDialog::ChooseMonitors()
{
    if (m_selectMonitors)
        m_selectMonitors(m_records);
}
