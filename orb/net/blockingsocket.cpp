#include "orb/net/blockingsocket.h"

#include "orb/net/callcontrol.h"

#include <cerrno>
#include <cstring>
#include <optional>

#include <netdb.h>
#include <poll.h>
#include <sys/time.h>
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
    releaseHandle();
}

void CBlockingSocket::releaseHandle()
{
    if (m_socket < 0)
        return;
    DetachFromCall();
    ::close(m_socket);
    m_socket = -1;
}

void CBlockingSocket::AttachToCall(CallControl *control)
{
    DetachFromCall();
    m_control = control;
    if (m_control && m_socket >= 0)
        m_control->attach(m_socket);
}

void CBlockingSocket::DetachFromCall()
{
    if (m_control && m_socket >= 0)
        m_control->detach(m_socket);
    m_control = nullptr;
}

std::chrono::milliseconds CBlockingSocket::allowed(const char *operation, std::chrono::milliseconds timeout) const
{
    if (!m_control)
        return timeout;
    // A zero wait (a poll) stays zero; a call with no time left fails.
    const std::chrono::milliseconds allowed = m_control->allow(timeout);
    if (allowed.count() <= 0 && (timeout.count() > 0 || m_control->cancelled() || m_control->expired()))
        throw CBlockingSocketException(operation, 0);
    return allowed;
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
    releaseHandle();
    m_socket = handle;
    m_receiveTimeout = std::chrono::milliseconds(-1);
    AttachToCall(CallControl::current());
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

void CBlockingSocket::Connect(const sockaddr_in &address, std::chrono::milliseconds timeout)
{
    requireSocket("Connect");
    // Without a time-out of its own, a connect still ends with the call.
    timeout = allowed("Connect", timeout.count() > 0 || !m_control ? timeout : std::chrono::hours(1));
    if (timeout.count() > 0) {
        // A blocking connect waits at most the socket's send time-out.
        timeval value{};
        value.tv_sec = static_cast<time_t>(timeout.count() / 1000);
        value.tv_usec = static_cast<suseconds_t>(timeout.count() % 1000 * 1000);
        if (::setsockopt(m_socket, SOL_SOCKET, SO_SNDTIMEO, &value, sizeof value) != 0)
            throw CBlockingSocketException("Connect");
    }
    const auto *target = reinterpret_cast<const sockaddr *>(&address);
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (attempt > 0)
            allowed("Connect", timeout);
        if (::connect(m_socket, target, sizeof address) == 0)
            return;
        if (errno == EINPROGRESS || errno == EALREADY)
            errno = ETIMEDOUT; // the time-out ran out with the handshake unfinished
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
    DetachFromCall();
    const int handle = m_socket;
    m_socket = -1;
    m_receiveTimeout = std::chrono::milliseconds(-1);
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
    timeout = allowed("Send timeout", timeout);
    // Sent without blocking: a socket with room takes the bytes at once, and
    // one without room is waited for only as long as the time-out allows (a
    // blocking send of a large buffer could wait for ever on a peer that
    // stopped reading).
    // The clock is read only once a wait is needed, which most sends never do.
    std::optional<Clock::time_point> deadline;
    for (;;) {
        const ssize_t sent = ::send(m_socket, data, static_cast<std::size_t>(length), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent >= 0)
            return static_cast<int>(sent);
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            throw CBlockingSocketException("Send");
        if (!deadline)
            deadline = Clock::now() + timeout;
        const auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(*deadline - Clock::now());
        if (remaining.count() <= 0 || !waitFor(POLLOUT, remaining))
            throw CBlockingSocketException("Send timeout", 0);
    }
}

void CBlockingSocket::SetReceiveTimeout(std::chrono::milliseconds timeout)
{
    requireSocket("SetSockOpt");
    if (timeout == m_receiveTimeout)
        return;
    timeval value{};
    value.tv_sec = static_cast<time_t>(timeout.count() / 1000);
    value.tv_usec = static_cast<suseconds_t>(timeout.count() % 1000 * 1000);
    SetSockOpt(SOL_SOCKET, SO_RCVTIMEO, &value, sizeof value);
    m_receiveTimeout = timeout;
}

int CBlockingSocket::Receive(char *buffer, int size, std::chrono::milliseconds timeout)
{
    requireSocket("Receive");
    timeout = allowed("Receive timeout", timeout);
    // The wait is the socket's own receive time-out (zero there would mean no
    // limit, so a zero wait polls instead); a socket prepared with
    // SetReceiveTimeout ahead needs one system call per receive.
    int flags = 0;
    if (timeout.count() <= 0)
        flags = MSG_DONTWAIT;
    else
        SetReceiveTimeout(timeout);
    ssize_t received;
    do {
        received = ::recv(m_socket, buffer, static_cast<std::size_t>(size), flags);
    } while (received < 0 && errno == EINTR);
    if (received < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
        throw CBlockingSocketException("Receive timeout", 0);
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
