#include "testsupport/loopback.h"

#include <chrono>
#include <cstdint>
#include <stdexcept>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

sockaddr_in loopback(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

} // namespace

int bindLoopback(int type, int &port)
{
    const int handle = ::socket(AF_INET, type | SOCK_CLOEXEC, 0);
    if (handle < 0)
        throw std::runtime_error("test fixture: cannot create a socket");
    sockaddr_in address = loopback(0);
    socklen_t length = sizeof address;
    if (::bind(handle, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0
        || ::getsockname(handle, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        ::close(handle);
        throw std::runtime_error("test fixture: cannot bind on loopback");
    }
    port = ntohs(address.sin_port);
    return handle;
}

int freeLoopbackPort()
{
    int port = 0;
    ::close(bindLoopback(SOCK_STREAM, port));
    return port;
}

int connectLoopback(int port)
{
    const int handle = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = loopback(port);
    if (handle >= 0 && ::connect(handle, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0)
        return handle;
    if (handle >= 0)
        ::close(handle);
    return -1;
}

bool acceptsOnLoopback(int port)
{
    const int handle = connectLoopback(port);
    if (handle < 0)
        return false;
    ::close(handle);
    return true;
}

std::string exchangeOnLoopback(int port, const std::string &bytes, int timeoutMs)
{
    const int handle = connectLoopback(port);
    if (handle < 0)
        return {};
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t count = ::send(handle, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (count <= 0)
            break;
        sent += static_cast<std::size_t>(count);
    }
    std::string reply;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd wait{handle, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&wait, 1, static_cast<int>(left.count())) <= 0)
            break;
        char buffer[65536];
        const ssize_t count = ::recv(handle, buffer, sizeof buffer, 0);
        if (count <= 0)
            break;
        reply.append(buffer, static_cast<std::size_t>(count));
    }
    ::close(handle);
    return reply;
}
