#include "frame/navigationicons.h"

#include <QApplication>
#include <QStyle>

#include <iterator>

QIcon NavigationIcon(int imageIndex)
{
    static constexpr QStyle::StandardPixmap pixmaps[] = {
        QStyle::SP_ComputerIcon,  QStyle::SP_DriveNetIcon,   QStyle::SP_FileDialogDetailedView,
        QStyle::SP_DialogHelpButton, QStyle::SP_DirIcon,      QStyle::SP_MessageBoxWarning,
        QStyle::SP_BrowserReload, QStyle::SP_FileDialogInfoView, QStyle::SP_DesktopIcon,
    };
    constexpr int count = int(std::size(pixmaps));
    const int index = ((imageIndex % count) + count) % count;
    return QApplication::style()->standardIcon(pixmaps[index]);
}
