#include "orb/net/debugdump.h"

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Internal {

void writeDebugDump(const char *fileName, std::string_view bytes)
{
    const char *folder = std::getenv("KEELMON_DUMP_DIR");
    if (folder == nullptr || *folder == '\0')
        return;
    const std::string path = std::string(folder) + "/" + fileName;

    // Concurrent calls would otherwise interleave their bytes in one file.
    static std::mutex dumpMutex;
    std::lock_guard lock(dumpMutex);
    const int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (file < 0)
        return;
    ::fchmod(file, 0600); // a file left by someone else keeps no wider mode
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t result = ::write(file, bytes.data() + written, bytes.size() - written);
        if (result < 0 && errno == EINTR)
            continue;
        if (result <= 0)
            break;
        written += static_cast<std::size_t>(result);
    }
    ::close(file);
}

} // namespace Internal
