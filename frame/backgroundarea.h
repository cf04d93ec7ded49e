#pragma once

#include <QDateTime>
#include <QImage>
#include <QMdiArea>

#include "orb/wire/keelexport.h"

class CProApp;

// The MDI client of the main frame, painting "Keelmon.bmp" from the current
// folder behind the document windows: 1:1 when the sizes match, else
// stretched to the window.
class KEEL_EXPORT CBackgroundArea : public QMdiArea
{
    Q_OBJECT

public:
    static constexpr const char *FileName = "Keelmon.bmp";

    explicit CBackgroundArea(CProApp *app, QWidget *parent = nullptr);

    // The picture as last read; null when the file is missing or bad.
    const QImage &Picture() const { return m_picture; }
    // Re-reads the file when it changed since the last paint.
    void Refresh();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void Report(const QString &message);

    CProApp *m_app;
    QImage m_picture;
    QDateTime m_stamp;
    qint64 m_size = -1;
    bool m_read = false;
    QString m_lastError;
};
