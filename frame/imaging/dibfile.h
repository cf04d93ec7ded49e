#pragma once

#include <QImage>
#include <QString>

#include "orb/wire/keelexport.h"

// Reads a device-independent bitmap file (".bmp") the way the background
// window and the report program expect: the 14-byte file header must begin
// with "BM", the sizes come from the 40-byte or the older 12-byte header, and
// each failure has its own message.
class KEEL_EXPORT CDibFile
{
public:
    // Larger files are refused as too large rather than read into memory.
    static constexpr qint64 MaxFileSize = 256 * 1024 * 1024;

    bool Load(const QString &path);
    const QImage &Image() const { return m_image; }
    // The message of the last failed Load, empty after a success.
    QString Error() const { return m_error; }

private:
    bool Fail(const QString &message);

    QImage m_image;
    QString m_error;
};
