#include "frame/lockeddialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "frame/hosttexts.h"

CLockedDialog::CLockedDialog(const QString &lockText, int attempts, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setWindowTitle(HostText("系统已锁定"));
    setObjectName(QStringLiteral("dialog189"));

    m_lockText = new QLabel(lockText, this);
    m_lockText->setObjectName(QStringLiteral("control184"));
    m_retryText = new QLabel(this);
    m_retryText->setObjectName(QStringLiteral("control187"));
    m_retryText->setWordWrap(true);
    auto *explanation = new QLabel(
        HostText("系统因长时间无操作或操作员的要求而锁定。\n按“解锁”后输入当前用户的口令即可解除锁定；"
                 "连续三次口令错误后，一个小时内不能解锁。"),
        this);
    explanation->setWordWrap(true);
    m_unlock = new QPushButton(HostText("解锁"), this);
    m_unlock->setDefault(true);
    connect(m_unlock, &QPushButton::clicked, this, &QDialog::accept);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_unlock);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_lockText);
    layout->addWidget(m_retryText);
    layout->addWidget(explanation);
    layout->addLayout(buttons);
    setMinimumWidth(420);

    if (attempts > 0)
        m_retryText->setText(HostText("您已经重试口令%1次，超过三次系统经锁定登录!").arg(attempts));
    if (attempts > 2) {
        m_unlock->setEnabled(false);
        m_timer.setInterval(TickMilliseconds);
        connect(&m_timer, &QTimer::timeout, this, &CLockedDialog::tick);
        m_timer.start();
    }
}

void CLockedDialog::tick()
{
    if (!m_timer.isActive())
        return;
    ++m_seconds;
    if (m_seconds >= LockOutSeconds) {
        m_retryText->setText(HostText("登录锁定以解除！"));
        m_timer.stop();
        m_unlock->setEnabled(true);
        return;
    }
    showRemaining();
}

void CLockedDialog::showRemaining()
{
    const int left = LockOutSeconds - m_seconds;
    m_retryText->setText(QString::asprintf("%02d:%02d:%02d", left / 3600, left % 3600 / 60, left % 60)
                             .prepend(HostText("您重试密码次数已经超过3次，系统锁定1个小时！")));
}

QString CLockedDialog::lockText() const
{
    return m_lockText->text();
}

QString CLockedDialog::retryText() const
{
    return m_retryText->text();
}

void CLockedDialog::reject()
{
}
