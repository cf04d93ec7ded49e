#include "server/engine/checks/socketwait.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace socketwait {

int millisLeft(Clock::time_point deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : int(left);
}

bool waitFor(int fd, short events, Clock::time_point deadline)
{
    for (;;) {
        pollfd wait{fd, events, 0};
        int rc = ::poll(&wait, 1, millisLeft(deadline));
        if (rc > 0)
            return true;
        if (rc == 0 || errno != EINTR)
            return false;
    }
}

Connect connect(const sockaddr_in &address, Clock::time_point deadline, int &fd, std::string &reason)
{
    fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        reason = std::string("cannot open a socket: ") + std::strerror(errno);
        return Connect::Failed;
    }
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0)
        return Connect::Connected;
    if (errno != EINPROGRESS) {
        reason = std::strerror(errno);
        return errno == ECONNREFUSED ? Connect::Refused : Connect::Failed;
    }
    if (!waitFor(fd, POLLOUT, deadline)) {
        reason = "no answer within the time-out";
        return Connect::TimedOut;
    }
    int error = 0;
    socklen_t size = sizeof error;
    ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size);
    if (error == 0)
        return Connect::Connected;
    reason = std::strerror(error);
    return error == ECONNREFUSED ? Connect::Refused : Connect::Failed;
}

bool sendAll(int fd, const std::string &text, Clock::time_point deadline)
{
    std::size_t sent = 0;
    while (sent < text.size()) {
        ssize_t n = ::send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += std::size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && waitFor(fd, POLLOUT, deadline))
            continue;
        return false;
    }
    return true;
}

} // namespace socketwait
