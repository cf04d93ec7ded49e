#include "frame/installroot.h"

#include <QDir>

#include "frame/localtext.h"
#include "frame/proapp.h"
#include "orb/profile/profilefile.h"

namespace {

QString Normalised(QString root)
{
    root = root.trimmed();
    root.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (root.isEmpty())
        return QDir::currentPath();
    while (root.size() > 1 && root.endsWith(QLatin1Char('/')))
        root.chop(1);
    return root;
}

} // namespace

namespace InstallRoot {

QString FromProfile(const ProfileFile &profile)
{
    const QString fromEnvironment = qEnvironmentVariable(EnvironmentVariable).trimmed();
    if (!fromEnvironment.isEmpty())
        return Normalised(fromEnvironment);
    return Normalised(fromLocal(profile.readString(Section, Key)));
}

QString Path()
{
    if (CProApp *app = CProApp::instance())
        return FromProfile(app->Profile());
    return FromProfile(ProfileFile());
}

QString FilePath(const QString &relative)
{
    QString tail = relative;
    tail.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (tail.startsWith(QLatin1Char('/')))
        tail.remove(0, 1);
    const QString root = Path();
    return root.endsWith(QLatin1Char('/')) ? root + tail : root + QLatin1Char('/') + tail;
}

} // namespace InstallRoot
