#include "frame/imaging/picture.h"

#include <QImageReader>
#include <QPainter>

bool CPicture::Load(const QString &path)
{
    m_image = QImage();
    m_scaled = QImage();
    QImageReader reader(path);
    reader.setAutoTransform(true);
    // The reader refuses pictures needing more than its allocation limit
    // (256 MB), so a damaged header cannot make it allocate gigabytes.
    QImage image = reader.read();
    if (image.isNull()) {
        m_error = QStringLiteral("Cannot read the picture %1: %2").arg(path, reader.errorString());
        return false;
    }
    m_image = std::move(image);
    m_error.clear();
    return true;
}

void CPicture::Stretch(QPainter &painter, const QRect &target, const QRect &source)
{
    if (m_image.isNull() || target.isEmpty())
        return;
    const QRect part = source.isEmpty() ? m_image.rect() : source.intersected(m_image.rect());
    if (part.isEmpty())
        return;
    if (part.size() == target.size()) {
        painter.drawImage(target.topLeft(), m_image, part);
        return;
    }
    if (m_scaled.isNull() || m_scaledSource != part || m_scaledSize != target.size()) {
        m_scaled = m_image.copy(part).scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        m_scaledSource = part;
        m_scaledSize = target.size();
    }
    painter.drawImage(target.topLeft(), m_scaled);
}
