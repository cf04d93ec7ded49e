#pragma once

#include <QDialog>
#include <QTimer>

#include "orb/wire/keelexport.h"

class QLabel;
class QPushButton;

// The "系统已锁定" dialog shown on the lock screen before every unlock attempt.
// It tells how many wrong passwords were given; after the third one it holds
// its unlock button disabled for one hour, counting down once a second.
class KEEL_EXPORT CLockedDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int LockOutSeconds = 3600;
    static constexpr int TickMilliseconds = 1000;

    CLockedDialog(const QString &lockText, int attempts, QWidget *parent = nullptr);

    // One second of the countdown (the timer calls it; tests call it directly).
    void tick();

    bool isCountingDown() const { return m_timer.isActive(); }
    QString lockText() const;
    QString retryText() const;
    QPushButton *unlockButton() const { return m_unlock; }

    // Escape and the window's close button are ignored: only the unlock button
    // closes the dialog, so the one-hour lock-out cannot be skipped.
    void reject() override;

private:
    void showRemaining();

    QLabel *m_lockText = nullptr;
    QLabel *m_retryText = nullptr;
    QPushButton *m_unlock = nullptr;
    QTimer m_timer;
    int m_seconds = 0;
};
