#include "frame/lockscreen.h"

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include "frame/hosttexts.h"
#include "frame/lockeddialog.h"
#include "frame/unlockdialog.h"

namespace {

CLockScreen::DialogRunner &defaultRunner()
{
    static CLockScreen::DialogRunner runner;
    return runner;
}

} // namespace

CLockScreen::CLockScreen(const QRect &frameRect, const QString &userName, const QString &storedPassword,
                         const QDateTime &lockedAt, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_storedPassword(storedPassword),
      m_runner(defaultRunner() ? defaultRunner() : DialogRunner(&CLockScreen::execDialog))
{
    setObjectName(QStringLiteral("dialog150"));
    setAutoFillBackground(true);
    QPalette dark = palette();
    dark.setColor(QPalette::Window, QColor(0x1b, 0x2a, 0x3a));
    dark.setColor(QPalette::WindowText, Qt::white);
    setPalette(dark);

    auto *emblem = new QLabel(QStringLiteral("Keelmon 2.0 (网络运维平台)"), this);
    emblem->setObjectName(QStringLiteral("control181"));
    emblem->setAlignment(Qt::AlignCenter);
    QFont big = emblem->font();
    big.setPointSize(big.pointSize() * 2);
    emblem->setFont(big);
    m_text = new QLabel(HostText("系统已锁定！"), this);
    m_text->setObjectName(QStringLiteral("control182"));
    m_text->setAlignment(Qt::AlignCenter);

    // The text stands in the upper part: the lock dialogs open in the middle.
    auto *layout = new QVBoxLayout(this);
    layout->addStretch(1);
    layout->addWidget(emblem);
    layout->addWidget(m_text);
    layout->addStretch(3);

    setGeometry(frameRect);
    m_text->setText(lockTextFor(userName, lockedAt));
}

void CLockScreen::setDefaultDialogRunner(DialogRunner runner)
{
    defaultRunner() = std::move(runner);
}

QString CLockScreen::lockTextFor(const QString &userName, const QDateTime &lockedAt)
{
    const QDate d = lockedAt.date();
    const QTime t = lockedAt.time();
    return QStringLiteral("系统由用户[%1]于 ").arg(userName)
        + QString::asprintf("%04d", d.year()) + QStringLiteral("年 ")
        + QString::asprintf("%02d", d.month()) + QStringLiteral("月")
        + QString::asprintf("%02d", d.day()) + QStringLiteral("日  ")
        + QString::asprintf("%02d:%02d:%02d", t.hour(), t.minute(), t.second()) + QStringLiteral(" 锁定!");
}

QString CLockScreen::lockText() const
{
    return m_text->text();
}

int CLockScreen::execDialog(QDialog &dialog)
{
    const int result = dialog.exec();
    // A modal loop that ends with the dialog still up was ended by the
    // program quitting, not by the operator.
    return dialog.isVisible() ? -1 : result;
}

int CLockScreen::runAttempt()
{
    {
        CLockedDialog locked(lockText(), m_attempts, this);
        m_runner(locked);
    }
    if (m_attempts > 2)
        m_attempts = 0;
    CUnlockDialog unlock(m_attempts, m_storedPassword, this);
    const int result = m_runner(unlock);
    if (result == QDialog::Rejected)
        ++m_attempts;
    return result;
}

void CLockScreen::runUnlockLoop()
{
    int result = QDialog::Rejected;
    while ((result = runAttempt()) == QDialog::Rejected) {
    }
    done(result == QDialog::Accepted ? QDialog::Accepted : QDialog::Rejected);
}

void CLockScreen::reject()
{
}

void CLockScreen::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    raise();
    if (!m_loopStarted) {
        m_loopStarted = true;
        // The loop's dialogs are modal over the lock screen, so it starts once
        // the screen itself is up.
        QTimer::singleShot(0, this, &CLockScreen::runUnlockLoop);
    }
}
