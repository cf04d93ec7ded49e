#include "frame/backgroundarea.h"

#include <QFileInfo>
#include <QPainter>
#include <QPointer>
#include <QTimer>

#include "frame/imaging/dibfile.h"
#include "frame/proapp.h"

CBackgroundArea::CBackgroundArea(CProApp *app, QWidget *parent) : QMdiArea(parent), m_app(app)
{
    setObjectName(QStringLiteral("2010"));
}

// The file is read again whenever it changes, not decoded on every paint; a
// failure is reported once until it turns into another failure or success,
// instead of a message box at every paint.
void CBackgroundArea::Refresh()
{
    const QFileInfo info(QString::fromLatin1(FileName));
    const QDateTime stamp = info.exists() ? info.lastModified() : QDateTime();
    const qint64 size = info.exists() ? info.size() : -1;
    if (m_read && stamp == m_stamp && size == m_size)
        return;
    m_read = true;
    m_stamp = stamp;
    m_size = size;
    CDibFile dib;
    if (dib.Load(info.filePath())) {
        m_picture = dib.Image();
        m_lastError.clear();
    } else {
        m_picture = QImage();
        Report(dib.Error());
    }
}

void CBackgroundArea::Report(const QString &message)
{
    if (message == m_lastError)
        return;
    m_lastError = message;
    // A modal box inside a paint would re-enter painting: show it afterwards.
    if (m_app) {
        QPointer<CProApp> app = m_app;
        QTimer::singleShot(0, this, [app, message] {
            if (app)
                app->ShowMessageBox(message, QString());
        });
    }
}

void CBackgroundArea::paintEvent(QPaintEvent *event)
{
    QMdiArea::paintEvent(event);
    Refresh();
    if (m_picture.isNull())
        return;
    QPainter painter(viewport());
    const QRect target = viewport()->rect();
    if (m_picture.size() == target.size())
        painter.drawImage(0, 0, m_picture);
    else
        painter.drawImage(target, m_picture);
}
