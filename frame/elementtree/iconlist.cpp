#include "frame/elementtree/iconlist.h"

#include <map>
#include <mutex>

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>

#include "frame/localtext.h"
#include "orb/profile/profilefile.h"

namespace {

constexpr const char *Section = "TREEICO";
const QString FallbackName = QStringLiteral("ico\\Server.bmp");

QPixmap ReadImage(const QString &path)
{
    QImageReader reader(path);
    QImage image = reader.read();
    if (image.isNull())
        return {};
    image = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb mask = qRgb(0xFA, 0xFA, 0xFA);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((line[x] & 0xFFFFFF) == (mask & 0xFFFFFF))
                line[x] = 0;
    }
    if (image.width() != CIconList::IconSize || image.height() != CIconList::IconSize)
        image = image.scaled(CIconList::IconSize, CIconList::IconSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return QPixmap::fromImage(image);
}

// What a slot shows when its file cannot be read: a grey frame, so the row
// still lines up and the fault is visible.
QPixmap Placeholder()
{
    QPixmap pixmap(CIconList::IconSize, CIconList::IconSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(Qt::gray);
    painter.drawRect(1, 1, CIconList::IconSize - 3, CIconList::IconSize - 3);
    return pixmap;
}

std::mutex cacheMutex;
std::map<QString, std::shared_ptr<const CIconList>> &Cache()
{
    static std::map<QString, std::shared_ptr<const CIconList>> cache;
    return cache;
}

} // namespace

CIconList::CIconList(const QString &iniPath)
{
    const QFileInfo info(iniPath);
    if (!info.isFile())
        return;
    const ProfileFile profile(QFile::encodeName(iniPath).toStdString());
    const int count = std::min(profile.readInt(Section, "TypeCount", 0), MaxCount);
    const QDir folder = info.absoluteDir();
    for (int n = 1; n <= count; ++n) {
        QString name = fromLocal(profile.readString(Section, "Type" + std::to_string(n) + ".image"));
        if (name.size() < 4)
            name = FallbackName;
        // Names are handled as characters: a "\" inside a GBK character's
        // bytes is not a separator once the name is decoded.
        name.replace(QLatin1Char('\\'), QLatin1Char('/'));
        QPixmap pixmap = ReadImage(folder.filePath(name));
        if (pixmap.isNull()) {
            m_failed.push_back(n - 1);
            pixmap = Placeholder();
        }
        m_icons.emplace_back(pixmap);
    }
}

std::shared_ptr<const CIconList> CIconList::Load(const QString &iniPath)
{
    const QString key = QFileInfo(iniPath).absoluteFilePath();
    std::lock_guard lock(cacheMutex);
    auto &slot = Cache()[key];
    if (!slot)
        slot = std::make_shared<const CIconList>(key);
    return slot;
}

void CIconList::ClearCache()
{
    std::lock_guard lock(cacheMutex);
    Cache().clear();
}

QIcon CIconList::Icon(int index) const
{
    if (index < 0 || index >= Count())
        return {};
    return m_icons[std::size_t(index)];
}
