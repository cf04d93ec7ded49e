#include "modules/map/picturefiles.h"

#include <QDir>
#include <QImageReader>

namespace PictureFiles {

bool IsPlainName(const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':') || c.unicode() < 0x20)
            return false;
    }
    return true;
}

QStringList ImageNames(const char *folder, const QStringList &suffixes)
{
    QStringList patterns;
    if (suffixes.isEmpty()) {
        for (const QByteArray &format : QImageReader::supportedImageFormats())
            patterns << QStringLiteral("*.") + QString::fromLatin1(format);
    } else {
        for (const QString &suffix : suffixes)
            patterns << QStringLiteral("*.") + suffix;
    }
    const QDir dir(QDir::current().filePath(QString::fromLatin1(folder)));
    QStringList names = dir.entryList(patterns, QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase);
    names.erase(std::remove_if(names.begin(), names.end(), [](const QString &name) { return !IsPlainName(name); }),
                names.end());
    return names;
}

QString PathOf(const char *folder, const QString &name)
{
    return QDir::current().filePath(QString::fromLatin1(folder) + QLatin1Char('/') + name);
}

QString StatusImagePath(int state)
{
    const QString name = state == 0 ? QStringLiteral("status.bmp") : QStringLiteral("status%1.bmp").arg(state);
    return PathOf(CellImageFolder, name);
}

} // namespace PictureFiles
