#pragma once

#include <functional>

#include <QDateTime>
#include <QDialog>

#include "orb/wire/keelexport.h"

class QLabel;

// The lock screen: a window laid over the main frame that hides its content
// and, once shown, runs the unlock loop (the locked dialog, then the unlock
// dialog, until the stored password is given). It closes with OK only then.
class KEEL_EXPORT CLockScreen : public QDialog
{
    Q_OBJECT

public:
    // Runs one of the loop's dialogs modally and returns its result; tests put
    // in a runner that answers the dialogs without a person.
    using DialogRunner = std::function<int(QDialog &)>;

    CLockScreen(const QRect &frameRect, const QString &userName, const QString &storedPassword,
                const QDateTime &lockedAt = QDateTime::currentDateTime(), QWidget *parent = nullptr);

    static QString lockTextFor(const QString &userName, const QDateTime &lockedAt);

    QString lockText() const;
    int attempts() const { return m_attempts; }
    void setDialogRunner(DialogRunner runner) { m_runner = std::move(runner); }
    // The runner of every lock screen made from now on (tests of the frame).
    static void setDefaultDialogRunner(DialogRunner runner);

    // One turn of the loop: the locked dialog, then the unlock dialog. Gives
    // the unlock dialog's result: OK, Cancel (a wrong password), or another
    // value when its modal loop ended without it closing (the program ends).
    int runAttempt();
    // Turns until unlocked, then closes the lock screen with OK; closes it
    // with Cancel only when the program ends while locked.
    void runUnlockLoop();

    // Escape and closing are ignored: the screen goes only by unlocking.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    static int execDialog(QDialog &dialog);

    QLabel *m_text = nullptr;
    QString m_storedPassword;
    DialogRunner m_runner;
    int m_attempts = 0;
    bool m_loopStarted = false;
};
