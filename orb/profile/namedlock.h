#pragma once

#include <chrono>
#include <string>

#include "orb/wire/keelexport.h"

// A lock that every process of the user shares by name, as the programs that
// read and write each other's settings files agree on the name "StatView".
// It is an flock on "keelmon-<uid>-<name>.lock" in the runtime folder, so a
// process that ends, even by a crash, releases it. Waiting is bounded: a
// holder that hangs cannot hang the waiter.
class KEEL_EXPORT NamedLock
{
public:
    static constexpr std::chrono::milliseconds DefaultWait{10000};

    // The lock file lives in folder; by default the runtime folder.
    explicit NamedLock(std::string name, std::string folder = runtimeFolder());
    ~NamedLock();
    NamedLock(const NamedLock &) = delete;
    NamedLock &operator=(const NamedLock &) = delete;

    // Takes the lock, waiting at most wait; false, with the reason in
    // error(), when it could not be had in that time.
    bool lock(std::chrono::milliseconds wait = DefaultWait);
    void unlock();
    bool isLocked() const { return m_fd >= 0; }
    const std::string &error() const { return m_error; }
    const std::string &path() const { return m_path; }

    // XDG_RUNTIME_DIR when it names a folder, otherwise /tmp.
    static std::string runtimeFolder();

private:
    std::string m_name;
    std::string m_path;
    std::string m_error;
    int m_fd = -1;
};
