#include "server/core/net/filelimit.h"

#include <sys/resource.h>

#include <algorithm>

namespace filelimit {

std::size_t raise()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return 1024;
    if (limit.rlim_cur < limit.rlim_max) {
        rlimit raised = limit;
        raised.rlim_cur = limit.rlim_max;
        if (::setrlimit(RLIMIT_NOFILE, &raised) == 0)
            limit = raised;
    }
    return limit.rlim_cur == RLIM_INFINITY ? std::size_t(1) << 20 : std::size_t(limit.rlim_cur);
}

std::size_t connectionsWithin(std::size_t files)
{
    const std::size_t reserve = std::max<std::size_t>(64, files / 8);
    return files > reserve * 2 ? files - reserve : files / 2;
}

} // namespace filelimit
