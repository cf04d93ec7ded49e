#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "orb/profile/namedlock.h"
#include "orb/profile/profilefile.h"
#include "orb/wire/keelexport.h"

// A profile file that programs hand to each other (the monitoring module
// writes the report program's settings, the report program reads them and
// Keelsys.ini): every read and write holds the named lock, and a file that
// does not exist is neither read nor created.
class KEEL_EXPORT LockedProfile
{
public:
    static constexpr const char *DefaultLockName = "StatView";

    explicit LockedProfile(std::string path, std::string lockName = DefaultLockName,
                           std::string lockFolder = NamedLock::runtimeFolder(),
                           std::chrono::milliseconds wait = NamedLock::DefaultWait);

    // The value (defaultValue when the key is absent); nothing when the file
    // does not exist or the lock did not come, with the reason in error().
    std::optional<std::string> readString(std::string_view section, std::string_view key,
                                          std::string_view defaultValue = {});
    // False, with the reason in error(), when the file does not exist, the
    // lock did not come or the file cannot be written.
    bool writeString(std::string_view section, std::string_view key, std::string_view value);

    const std::string &path() const { return m_profile.path(); }
    const std::string &error() const { return m_error; }

private:
    // Takes the lock for one access of an existing file; false with error() set.
    bool Begin(NamedLock &lock);

    ProfileFile m_profile;
    std::string m_lockName;
    std::string m_lockFolder;
    std::chrono::milliseconds m_wait;
    std::string m_error;
};
