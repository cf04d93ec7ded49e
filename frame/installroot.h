#pragma once

#include <QString>

#include "orb/wire/keelexport.h"

class ProfileFile;

// The folder the client was installed into, under which the catalogues
// ("config/", "MTree.ini", ...) and the report program live. It is the value
// "SYS"/"RootPath" of Keelsys.ini, overridden by the environment variable
// KEELMON_ROOT_PATH; when both are empty (or blank) it is the working
// directory, never the file-system root. The result has no trailing slash
// (unless it is "/" itself, chosen explicitly).
namespace InstallRoot {

inline constexpr const char *Section = "SYS";
inline constexpr const char *Key = "RootPath";
inline constexpr const char *EnvironmentVariable = "KEELMON_ROOT_PATH";

// The root as configured in profile (and the environment).
KEEL_EXPORT QString FromProfile(const ProfileFile &profile);
// The root of the running application (its Keelsys.ini), or the working
// directory when there is no application object.
KEEL_EXPORT QString Path();
// relative (e.g. "config/Entity.xml") below the root; backslashes, as written
// in the configuration files, are taken as separators.
KEEL_EXPORT QString FilePath(const QString &relative);

} // namespace InstallRoot
