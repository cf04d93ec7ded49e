#pragma once

#include <QDateTime>
#include <QDialog>

class QButtonGroup;
class QDateTimeEdit;

// "控制": the monitoring or alerting schedule of an element or monitor: a
// mode (0 "永久有效", 1 "定时有效", 2 "永久禁止", 3 "定时禁止") and the start and
// end of the timed modes.
class CControlDialog : public QDialog
{
    Q_OBJECT

public:
    struct Schedule
    {
        QString mode;
        QString start;
        QString end;
    };

    explicit CControlDialog(const QString &title, QWidget *parent = nullptr);

    // Fills the dialog; a time that is empty or unreadable shows now, a mode
    // that is not 0 to 3 selects the first.
    void Load(const Schedule &schedule);
    // The schedule as stored: the mode number and "%d-%d-%d %d:%d:%d" times.
    Schedule Current() const;
    // A message when the schedule cannot be kept (a timed mode ending before
    // it starts), else empty.
    QString Check() const;

    QButtonGroup *Modes() const { return m_modes; }
    QDateTimeEdit *StartEdit() const { return m_start; }
    QDateTimeEdit *EndEdit() const { return m_end; }

    // "2026-1-5 8:0:0" (numbers without leading zeros); invalid when unreadable.
    static QDateTime ParseTime(const QString &text);
    static QString TimeText(const QDateTime &time);

    void accept() override;

private:
    QButtonGroup *m_modes;
    QDateTimeEdit *m_start;
    QDateTimeEdit *m_end;
};
