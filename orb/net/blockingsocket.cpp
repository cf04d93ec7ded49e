#include "orb/net/blockingsocket.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

int pollMilliseconds(std::chrono::milliseconds remaining)
{
    if (remaining.count() <= 0)
        return 0;
    return remaining.count() > 0x7fffffff ? 0x7fffffff : static_cast<int>(remaining.count());
}

} // namespace

CBlockingSocket::CBlockingSocket() = default;

CBlockingSocket::~CBlockingSocket()
{
    if (m_socket >= 0)
        ::close(m_socket);
}

void CBlockingSocket::requireSocket(const char *operation) const
{
    if (m_socket < 0)
        throw CBlockingSocketException(operation, EBADF);
}

void CBlockingSocket::Create(int type)
{
    const int protocol = type == SOCK_DGRAM ? IPPROTO_UDP : IPPROTO_TCP;
    const int handle = ::socket(AF_INET, type | SOCK_CLOEXEC, protocol);
    if (handle < 0)
        throw CBlockingSocketException("Create");
    if (m_socket >= 0)
        ::close(m_socket);
    m_socket = handle;
}

void CBlockingSocket::CreateDatagram()
{
    Create(SOCK_DGRAM);
}

void CBlockingSocket::Bind(const sockaddr_in &address)
{
    requireSocket("Bind");
    if (::bind(m_socket, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0)
        throw CBlockingSocketException("Bind");
}

bool CBlockingSocket::connectOnce(const sockaddr_in &address, std::chrono::milliseconds timeout)
{
    const auto *target = reinterpret_cast<const sockaddr *>(&address);
    if (timeout.count() <= 0)
        return ::connect(m_socket, target, sizeof address) == 0;

    // A bounded attempt: connect without blocking, wait for the outcome, then
    // put the socket back into blocking mode for the caller.
    const int flags = ::fcntl(m_socket, F_GETFL);
    ::fcntl(m_socket, F_SETFL, flags | O_NONBLOCK);
    bool connected = ::connect(m_socket, target, sizeof address) == 0;
    if (!connected && (errno == EINPROGRESS || errno == EALREADY)) {
        if (waitFor(POLLOUT, timeout)) {
            int error = 0;
            socklen_t length = sizeof error;
            ::getsockopt(m_socket, SOL_SOCKET, SO_ERROR, &error, &length);
            connected = error == 0;
            errno = error;
        } else {
            errno = ETIMEDOUT;
        }
    }
    const int savedErrno = errno;
    ::fcntl(m_socket, F_SETFL, flags);
    errno = savedErrno;
    return connected;
}

void CBlockingSocket::Connect(const sockaddr_in &address, std::chrono::milliseconds timeout)
{
    requireSocket("Connect");
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (connectOnce(address, timeout))
            return;
    }
    throw CBlockingSocketException("Connect");
}

void CBlockingSocket::DisConnect()
{
    requireSocket("DisConnect");
    if (::shutdown(m_socket, SHUT_RDWR) != 0)
        throw CBlockingSocketException("DisConnect");
}

int CBlockingSocket::Close()
{
    if (m_socket < 0)
        return 0;
    // The descriptor is released even when close() reports an error, so the
    // handle is dropped either way; the error is still reported.
    const int handle = m_socket;
    m_socket = -1;
    if (::close(handle) != 0 && errno != EINTR)
        throw CBlockingSocketException("Close");
    return 1;
}

bool CBlockingSocket::waitFor(short events, std::chrono::milliseconds timeout) const
{
    const auto deadline = Clock::now() + timeout;
    pollfd entry{m_socket, events, 0};
    for (;;) {
        const auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        const int result = ::poll(&entry, 1, pollMilliseconds(remaining));
        if (result > 0)
            return true;
        if (result == 0)
            return false;
        if (errno != EINTR)
            return true; // let the send or receive itself report the failure
    }
}

int CBlockingSocket::Send(const char *data, int length, std::chrono::milliseconds timeout)
{
    requireSocket("Send");
    if (!waitFor(POLLOUT, timeout))
        throw CBlockingSocketException("Send timeout", 0);
    ssize_t sent;
    do {
        sent = ::send(m_socket, data, static_cast<std::size_t>(length), MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    if (sent < 0)
        throw CBlockingSocketException("Send");
    return static_cast<int>(sent);
}

int CBlockingSocket::Receive(char *buffer, int size, std::chrono::milliseconds timeout)
{
    requireSocket("Receive");
    if (!waitFor(POLLIN, timeout))
        throw CBlockingSocketException("Receive timeout", 0);
    ssize_t received;
    do {
        received = ::recv(m_socket, buffer, static_cast<std::size_t>(size), 0);
    } while (received < 0 && errno == EINTR);
    if (received < 0)
        throw CBlockingSocketException("Receive");
    return static_cast<int>(received);
}

int CBlockingSocket::SendDatagram(const char *data, int length, int flags, const sockaddr_in &address)
{
    return static_cast<int>(::sendto(m_socket, data, static_cast<std::size_t>(length), flags | MSG_NOSIGNAL,
                                     reinterpret_cast<const sockaddr *>(&address), sizeof address));
}

int CBlockingSocket::SetSockOpt(int level, int option, const void *value, socklen_t length)
{
    requireSocket("SetSockOpt");
    if (::setsockopt(m_socket, level, option, value, length) != 0)
        throw CBlockingSocketException("SetSockOpt");
    return 1;
}

sockaddr_in CBlockingSocket::GetHostByName(const char *host, int port)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo *found = nullptr;
    const int result = ::getaddrinfo(host ? host : "", nullptr, &hints, &found);
    if (result != 0 || found == nullptr) {
        // The resolver's own code unless it failed in a system call.
        throw CBlockingSocketException("GetHostByName", result == EAI_SYSTEM ? errno : result);
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr = reinterpret_cast<const sockaddr_in *>(found->ai_addr)->sin_addr;
    ::freeaddrinfo(found);
    return address;
}

bool CBlockingSocket::IsConnectionAlive() const
{
    if (m_socket < 0)
        return false;
    pollfd entry{m_socket, static_cast<short>(POLLIN | POLLRDHUP), 0};
    int result;
    do {
        result = ::poll(&entry, 1, 0);
    } while (result < 0 && errno == EINTR);
    // Any event on an idle connection (end of stream, reset, error, data
    // nobody asked for) makes it unusable for a fresh request.
    return result == 0;
}
