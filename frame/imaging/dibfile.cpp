#include "frame/imaging/dibfile.h"

#include <QFile>
#include <QtEndian>

namespace {

constexpr qint64 FileHeaderSize = 14;
constexpr quint32 CoreHeaderSize = 12;
constexpr quint32 InfoHeaderSize = 40;
constexpr quint32 LargestDimension = 0x7fffffffU;

} // namespace

bool CDibFile::Fail(const QString &message)
{
    m_image = QImage();
    m_error = message;
    return false;
}

bool CDibFile::Load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Fail(QStringLiteral(" Open File %1 Fails ! ").arg(path));
    const QString couldNotLoad = QStringLiteral(" Couldn't Load File %1 ! ").arg(path);
    const QString readFailed = QStringLiteral("位图文件 %1 读失败 ! ").arg(path);

    QByteArray header(FileHeaderSize, '\0');
    const qint64 headerRead = file.read(header.data(), FileHeaderSize);
    if (headerRead < 0)
        return Fail(readFailed);
    if (headerRead != FileHeaderSize || !header.startsWith("BM"))
        return Fail(couldNotLoad);

    const qint64 restSize = file.size() - FileHeaderSize;
    if (restSize > MaxFileSize)
        return Fail(QStringLiteral("DIB is too large"));
    QByteArray rest(restSize, '\0');
    const qint64 restRead = file.read(rest.data(), restSize);
    if (restRead < 0)
        return Fail(readFailed);
    if (restRead != restSize || restSize < qint64(sizeof(quint32)))
        return Fail(couldNotLoad);

    const auto *bytes = reinterpret_cast<const uchar *>(rest.constData());
    const quint32 infoSize = qFromLittleEndian<quint32>(bytes);
    quint32 width = 0;
    quint32 height = 0;
    if (infoSize == CoreHeaderSize && restSize >= CoreHeaderSize) {
        width = qFromLittleEndian<quint16>(bytes + 4);
        height = qFromLittleEndian<quint16>(bytes + 6);
    } else if (infoSize >= InfoHeaderSize && restSize >= qint64(InfoHeaderSize)) {
        width = qFromLittleEndian<quint32>(bytes + 4);
        // A negative height marks a top-down bitmap; its size is the magnitude.
        const qint32 signedHeight = qFromLittleEndian<qint32>(bytes + 8);
        height = signedHeight < 0 ? quint32(-qint64(signedHeight)) : quint32(signedHeight);
    } else {
        return Fail(couldNotLoad);
    }
    if (width > LargestDimension || height > LargestDimension)
        return Fail(QStringLiteral("DIB is too large"));

    // The colour table and pixels are decoded by Qt's reader, palette included.
    if (!m_image.loadFromData(header + rest, "BMP"))
        return Fail(couldNotLoad);
    m_error.clear();
    return true;
}
