#include "orb/profile/lockedprofile.h"

#include <sys/stat.h>

LockedProfile::LockedProfile(std::string path, std::string lockName, std::string lockFolder,
                             std::chrono::milliseconds wait)
    : m_profile(std::move(path))
    , m_lockName(std::move(lockName))
    , m_lockFolder(std::move(lockFolder))
    , m_wait(wait)
{
}

bool LockedProfile::Begin(NamedLock &lock)
{
    if (!lock.lock(m_wait)) {
        m_error = lock.error();
        return false;
    }
    // Checked under the lock: the other program may be creating the file.
    struct stat info {};
    if (::stat(path().c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        m_error = "The settings file " + path() + " does not exist: check the install folder";
        return false;
    }
    m_error.clear();
    return true;
}

std::optional<std::string> LockedProfile::readString(std::string_view section, std::string_view key,
                                                     std::string_view defaultValue)
{
    NamedLock lock(m_lockName, m_lockFolder);
    if (!Begin(lock))
        return std::nullopt;
    return m_profile.readString(section, key, defaultValue);
}

bool LockedProfile::writeString(std::string_view section, std::string_view key, std::string_view value)
{
    NamedLock lock(m_lockName, m_lockFolder);
    if (!Begin(lock))
        return false;
    if (m_profile.writeString(section, key, value))
        return true;
    m_error = "Cannot write " + path() + ": check that the file is writable";
    return false;
}
