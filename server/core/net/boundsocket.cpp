#include "server/core/net/boundsocket.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace boundsocket {

Result bind(int type, const std::string &address, int port)
{
    Result result;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = type;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo *found = nullptr;
    const std::string service = std::to_string(port);
    if (int rc = ::getaddrinfo(address.c_str(), service.c_str(), &hints, &found); rc != 0) {
        result.reason = ::gai_strerror(rc);
        return result;
    }
    result.resolved = true;
    int fd = ::socket(AF_INET, type | SOCK_CLOEXEC, 0);
    int on = 1;
    const bool bound = fd >= 0 && ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) == 0
                       && ::bind(fd, found->ai_addr, found->ai_addrlen) == 0;
    const int error = errno;
    ::freeaddrinfo(found);
    if (!bound) {
        if (fd >= 0)
            ::close(fd);
        result.reason = std::strerror(error);
        return result;
    }
    result.fd = fd;
    return result;
}

int localPort(int fd)
{
    sockaddr_in local{};
    socklen_t length = sizeof local;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&local), &length);
    return ntohs(local.sin_port);
}

} // namespace boundsocket
