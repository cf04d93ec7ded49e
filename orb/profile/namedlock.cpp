#include "orb/profile/namedlock.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::chrono::milliseconds PollInterval{10};

// A name is one file name: no folder separators.
std::string FileSafe(std::string name)
{
    for (char &c : name) {
        if (c == '/')
            c = '_';
    }
    return name;
}

} // namespace

NamedLock::NamedLock(std::string name, std::string folder)
    : m_name(std::move(name))
    , m_path(folder + "/keelmon-" + std::to_string(::getuid()) + "-" + FileSafe(m_name) + ".lock")
{
}

NamedLock::~NamedLock()
{
    unlock();
}

std::string NamedLock::runtimeFolder()
{
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat info {};
    if (runtime && *runtime && ::stat(runtime, &info) == 0 && S_ISDIR(info.st_mode))
        return runtime;
    return "/tmp";
}

bool NamedLock::lock(std::chrono::milliseconds wait)
{
    if (isLocked())
        return true;
    // No symbolic links: in a shared /tmp another user could plant one.
    const int fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        m_error = "Cannot open the lock file " + m_path + " (" + std::strerror(errno)
            + "): check that the folder exists and is writable";
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + wait;
    const long long tries = wait / PollInterval + 1;
    for (long long attempt = 0; attempt < tries; ++attempt) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            m_fd = fd;
            m_error.clear();
            return true;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            m_error = "Cannot lock " + m_path + " (" + std::strerror(errno) + ")";
            ::close(fd);
            return false;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            break;
        std::this_thread::sleep_for(PollInterval);
    }
    ::close(fd);
    m_error = "The lock \"" + m_name + "\" is held by another program for more than "
        + std::to_string(wait.count()) + " ms: close the report program or try again";
    return false;
}

void NamedLock::unlock()
{
    if (m_fd < 0)
        return;
    ::flock(m_fd, LOCK_UN);
    ::close(m_fd);
    m_fd = -1;
}
