#pragma once

#include <QString>
#include <QStringList>

// The picture files of the topology module: backgrounds under "UserImage"
// and cell bitmaps under "CellImage" in the working directory. Names that
// come from the server or a picker are plain file names, never paths.
namespace PictureFiles {

inline constexpr const char *UserImageFolder = "UserImage";
inline constexpr const char *CellImageFolder = "CellImage";

// A name without separators, not "." or "..", not empty.
bool IsPlainName(const QString &name);
// The image files of a folder of the working directory (by the suffixes Qt
// reads), sorted by name.
QStringList ImageNames(const char *folder, const QStringList &suffixes = {});
// Path of a file in one of the folders.
QString PathOf(const char *folder, const QString &name);
// ".\CellImage\status.bmp", "status1.bmp", "status2.bmp" for states 0, 1, 2.
QString StatusImagePath(int state);

} // namespace PictureFiles
