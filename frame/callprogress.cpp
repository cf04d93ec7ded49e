#include "frame/callprogress.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

CCallProgress::CCallProgress(const QString &address, bool chinese, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint)
    , m_label(new QLabel(this))
    , m_cancel(new QPushButton(chinese ? QStringLiteral("取消(&C)") : QStringLiteral("&Cancel"), this))
{
    setObjectName(QStringLiteral("callProgress"));
    setWindowTitle(QString::fromUtf8(chinese ? "请稍候" : "Please wait"));
    m_label->setText(chinese ? QStringLiteral("正在连接服务器… %1").arg(address)
                             : QStringLiteral("Connecting to the server… %1").arg(address));
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(m_label, 1);
    layout->addWidget(m_cancel);
    m_cancel->setDefault(true);
    // The cancel button shows an arrow, not the wait cursor of the call.
    m_cancel->setCursor(Qt::ArrowCursor);
    connect(m_cancel, &QPushButton::clicked, this, &CCallProgress::cancelRequested);
}

QString CCallProgress::text() const
{
    return m_label->text();
}

void CCallProgress::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        emit cancelRequested();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CCallProgress::closeEvent(QCloseEvent *event)
{
    event->ignore();
    emit cancelRequested();
}
