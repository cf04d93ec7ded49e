#pragma once

#include <QImage>
#include <QRect>
#include <QString>

#include "orb/wire/keelexport.h"

class QPainter;

// A picture file (BMP, JPEG or any other format Qt's image reader knows),
// loaded once and drawn scaled into a target rectangle. The topology pictures
// and their cell images are drawn through it.
class KEEL_EXPORT CPicture
{
public:
    // False, with the reason in Error(), when the file cannot be read; the
    // picture is then empty.
    bool Load(const QString &path);

    bool IsNull() const { return m_image.isNull(); }
    int Width() const { return m_image.width(); }
    int Height() const { return m_image.height(); }
    QSize Size() const { return m_image.size(); }
    const QImage &Image() const { return m_image; }
    QString Error() const { return m_error; }

    // Draws the source part of the picture (all of it when source is empty)
    // scaled to target. The scaled copy is kept, so repainting at the same
    // size and zoom costs a copy, not a new scaling.
    void Stretch(QPainter &painter, const QRect &target, const QRect &source = QRect());

private:
    QImage m_image;
    QString m_error;
    QImage m_scaled;
    QRect m_scaledSource;
    QSize m_scaledSize;
};
