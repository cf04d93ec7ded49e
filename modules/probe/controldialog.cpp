#include "modules/probe/controldialog.h"

#include <QButtonGroup>
#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QRadioButton>
#include <QRegularExpression>
#include <QVBoxLayout>

#include "modules/probe/dialogrunner.h"
#include "modules/probe/probemessage.h"

namespace {

const char *const ModeTexts[] = {"永久有效", "定时有效", "永久禁止", "定时禁止"};

bool IsTimed(int mode)
{
    return mode == 1 || mode == 3;
}

} // namespace

CControlDialog::CControlDialog(const QString &title, QWidget *parent)
    : QDialog(parent)
    , m_modes(new QButtonGroup(this))
    , m_start(new QDateTimeEdit(this))
    , m_end(new QDateTimeEdit(this))
{
    setWindowTitle(title);
    auto *layout = new QVBoxLayout(this);
    for (int mode = 0; mode < 4; ++mode) {
        auto *button = new QRadioButton(QString::fromUtf8(ModeTexts[mode]), this);
        m_modes->addButton(button, mode);
        layout->addWidget(button);
    }
    auto *times = new QFormLayout;
    for (QDateTimeEdit *edit : {m_start, m_end}) {
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        edit->setCalendarPopup(true);
    }
    times->addRow(QStringLiteral("开始时间"), m_start);
    times->addRow(QStringLiteral("结束时间"), m_end);
    layout->addLayout(times);
    layout->addWidget(DialogRunner::OkCancel(*this));
    Load({});
}

QDateTime CControlDialog::ParseTime(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*(\\d{1,4})-(\\d{1,2})-(\\d{1,2})\\s+(\\d{1,2}):(\\d{1,2}):(\\d{1,2})\\s*$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return {};
    const QDate date(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    const QTime time(match.captured(4).toInt(), match.captured(5).toInt(), match.captured(6).toInt());
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time);
}

QString CControlDialog::TimeText(const QDateTime &time)
{
    const QDate date = time.date();
    const QTime clock = time.time();
    return QStringLiteral("%1-%2-%3 %4:%5:%6")
        .arg(date.year()).arg(date.month()).arg(date.day())
        .arg(clock.hour()).arg(clock.minute()).arg(clock.second());
}

void CControlDialog::Load(const Schedule &schedule)
{
    bool numeric = false;
    const int mode = schedule.mode.toInt(&numeric);
    m_modes->button(numeric && mode >= 0 && mode < 4 ? mode : 0)->setChecked(true);
    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime start = ParseTime(schedule.start);
    const QDateTime end = ParseTime(schedule.end);
    m_start->setDateTime(start.isValid() ? start : now);
    m_end->setDateTime(end.isValid() ? end : now);
}

CControlDialog::Schedule CControlDialog::Current() const
{
    return {QString::number(m_modes->checkedId()), TimeText(m_start->dateTime()), TimeText(m_end->dateTime())};
}

QString CControlDialog::Check() const
{
    if (IsTimed(m_modes->checkedId()) && m_end->dateTime() < m_start->dateTime())
        return QStringLiteral("结束时间不能早于开始时间");
    return {};
}

void CControlDialog::accept()
{
    if (ProbeMessage::Passed(Check()))
        QDialog::accept();
}
