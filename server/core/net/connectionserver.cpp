#include "server/core/net/connectionserver.h"
#include "server/core/net/boundsocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "server/core/serverlog.h"

using Clock = std::chrono::steady_clock;

RequestProtocol::~RequestProtocol() = default;

struct ConnectionServer::Connection
{
    int fd;
    std::string received;
    std::size_t checked = 0;
    Clock::time_point opened;
    Clock::time_point firstByte;
};

namespace {

void setNonBlocking(int fd)
{
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

// Writes all of text before deadline; false when the peer went away or was too slow.
bool writeAll(int fd, std::string_view text, Clock::time_point deadline)
{
    while (!text.empty()) {
        ssize_t sent = ::send(fd, text.data(), text.size(), MSG_NOSIGNAL);
        if (sent > 0) {
            text.remove_prefix(std::size_t(sent));
            continue;
        }
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return false;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        pollfd wait{fd, POLLOUT, 0};
        if (::poll(&wait, 1, int(std::min<long long>(left, 1000))) < 0 && errno != EINTR)
            return false;
    }
    return true;
}

// Ends a connection after its reply: the bytes the client sent after its
// request are read first, so the close does not reset the connection under
// the reply.
void finish(int fd)
{
    ::shutdown(fd, SHUT_WR);
    char scrap[512];
    while (::recv(fd, scrap, sizeof scrap, MSG_DONTWAIT) > 0) {
    }
    ::close(fd);
}

} // namespace

ConnectionServer::ConnectionServer(RequestProtocol &protocol, ConnectionLimits limits)
    : m_protocol(protocol), m_limits(limits)
{
}

ConnectionServer::~ConnectionServer()
{
    stop();
}

void ConnectionServer::start(const std::string &address, int port)
{
    boundsocket::Result bound = boundsocket::bind(SOCK_STREAM, address, port);
    if (bound.fd >= 0 && ::listen(bound.fd, 512) != 0) {
        bound.reason = std::strerror(errno);
        ::close(bound.fd);
        bound.fd = -1;
    }
    if (!bound.resolved)
        throw std::runtime_error("cannot listen on " + address + ": " + bound.reason
                                 + " (give an IPv4 address with --listen)");
    if (bound.fd < 0)
        throw std::runtime_error("cannot listen on " + address + ":" + std::to_string(port) + ": " + bound.reason
                                 + " (is another server running on that port? choose one with --port)");
    m_listenFd = bound.fd;
    m_port = boundsocket::localPort(m_listenFd);
    setNonBlocking(m_listenFd);

    m_epollFd = ::epoll_create1(EPOLL_CLOEXEC);
    m_wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.fd = m_listenFd;
    ::epoll_ctl(m_epollFd, EPOLL_CTL_ADD, m_listenFd, &event);
    event.data.fd = m_wakeFd;
    ::epoll_ctl(m_epollFd, EPOLL_CTL_ADD, m_wakeFd, &event);

    m_pool = std::make_unique<WorkerPool>(m_limits.workerThreads, m_limits.queueCapacity);
    m_thread = std::thread([this] { loop(); });
}

void ConnectionServer::stop()
{
    if (m_stopped.exchange(true) || m_listenFd < 0)
        return;
    std::uint64_t one = 1;
    [[maybe_unused]] ssize_t written = ::write(m_wakeFd, &one, sizeof one);
    m_thread.join();
    m_pool->stop(); // the requests already handed over are answered
    ::close(m_epollFd);
    ::close(m_wakeFd);
}

ConnectionStats ConnectionServer::stats() const
{
    ConnectionStats stats;
    stats.accepted = m_accepted;
    stats.open = m_open;
    stats.waiting = m_waiting;
    stats.busyRefusals = m_busy;
    stats.timedOut = m_timedOut;
    stats.oversized = m_oversized;
    stats.malformed = m_malformed;
    stats.evicted = m_evicted;
    return stats;
}

void ConnectionServer::loop()
{
    // Deadlines are checked a few times per request time-out.
    auto sweepEvery = std::clamp(m_limits.requestTimeout / 4, std::chrono::milliseconds(10),
                                 std::chrono::milliseconds(1000));
    auto nextSweep = Clock::now() + sweepEvery;
    epoll_event events[64];
    for (;;) {
        int count = ::epoll_wait(m_epollFd, events, 64, int(sweepEvery.count()));
        if (count < 0 && errno != EINTR) {
            serverlog::error(std::string("waiting for connections failed: ") + std::strerror(errno));
            break;
        }
        bool stopping = false;
        for (int i = 0; i < count; ++i) {
            int fd = events[i].data.fd;
            if (fd == m_wakeFd)
                stopping = true;
            else if (fd == m_listenFd)
                acceptAll();
            else if (auto found = m_connections.find(fd); found != m_connections.end())
                readFrom(*found->second);
        }
        if (stopping)
            break;
        if (Clock::now() >= nextSweep) {
            sweep();
            nextSweep = Clock::now() + sweepEvery;
        }
    }
    ::close(m_listenFd);
    for (auto &[fd, connection] : m_connections) {
        ::close(fd);
        --m_open;
    }
    m_connections.clear();
    m_waiting = 0;
}

void ConnectionServer::acceptAll()
{
    for (;;) {
        int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            if (errno == EMFILE || errno == ENFILE)
                serverlog::warning("cannot accept more connections: the process has no file descriptors left");
            return;
        }
        ++m_accepted;
        if (m_open >= m_limits.maxConnections && !makeRoom()) {
            ::close(fd);
            ++m_busy;
            continue;
        }
        int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        auto connection = std::make_unique<Connection>();
        connection->fd = fd;
        connection->opened = Clock::now();
        epoll_event event{};
        event.events = EPOLLIN | EPOLLRDHUP;
        event.data.fd = fd;
        ::epoll_ctl(m_epollFd, EPOLL_CTL_ADD, fd, &event);
        m_connections.emplace(fd, std::move(connection));
        ++m_open;
        ++m_waiting;
    }
}

bool ConnectionServer::makeRoom()
{
    // The oldest connection that has sent nothing gives way to a new one.
    Connection *oldest = nullptr;
    for (auto &[fd, connection] : m_connections)
        if (connection->received.empty() && (!oldest || connection->opened < oldest->opened))
            oldest = connection.get();
    if (!oldest)
        return false;
    serverlog::warning("connection limit reached: closing the longest idle connection");
    ++m_evicted;
    close(oldest->fd);
    return true;
}

void ConnectionServer::readFrom(Connection &connection)
{
    const int fd = connection.fd;
    char buffer[65536];
    for (;;) {
        ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got > 0) {
            if (connection.received.empty()) {
                connection.firstByte = Clock::now();
                --m_waiting;
            }
            connection.received.append(buffer, std::size_t(got));
            if (connection.received.size() > m_limits.maxRequestBytes) {
                ++m_oversized;
                serverlog::info("request larger than " + std::to_string(m_limits.maxRequestBytes)
                                + " bytes refused");
                refuseAndClose(fd, RequestProtocol::Problem::TooLarge);
                return;
            }
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        close(fd); // the peer closed or the connection broke
        return;
    }
    if (connection.received.empty())
        return;
    switch (m_protocol.frame(connection.received, connection.checked)) {
    case requestreader::Frame::Incomplete:
        connection.checked = connection.received.size();
        return;
    case requestreader::Frame::Malformed:
        ++m_malformed;
        serverlog::info("connection closed: it sent something that is not an Orb request");
        refuseAndClose(fd, RequestProtocol::Problem::Malformed);
        return;
    case requestreader::Frame::Complete:
        dispatch(fd);
        return;
    }
}

void ConnectionServer::sweep()
{
    auto now = Clock::now();
    std::vector<std::pair<int, bool>> expired; // fd, whether a request had started
    std::uint64_t waiting = 0;
    for (auto &[fd, connection] : m_connections) {
        if (connection->received.empty()) {
            ++waiting;
            if (now - connection->opened > m_limits.idleTimeout)
                expired.emplace_back(fd, false);
        } else if (now - connection->firstByte > m_limits.requestTimeout) {
            expired.emplace_back(fd, true);
        }
    }
    m_waiting = waiting;
    for (auto [fd, started] : expired) {
        if (started) {
            ++m_timedOut;
            serverlog::info("request not complete within the time-out: connection closed");
            refuseAndClose(fd, RequestProtocol::Problem::TimedOut);
        } else {
            close(fd);
        }
    }
}

void ConnectionServer::close(int fd)
{
    auto found = m_connections.find(fd);
    if (found == m_connections.end())
        return;
    if (found->second->received.empty())
        --m_waiting;
    ::epoll_ctl(m_epollFd, EPOLL_CTL_DEL, fd, nullptr);
    ::close(fd);
    m_connections.erase(found);
    --m_open;
}

void ConnectionServer::refuseAndClose(int fd, RequestProtocol::Problem problem)
{
    // The refusal is short enough for the socket buffer; it is not waited for.
    std::string reply = m_protocol.refuse(problem);
    [[maybe_unused]] ssize_t sent = ::send(fd, reply.data(), reply.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    auto found = m_connections.find(fd);
    if (found == m_connections.end())
        return;
    ::epoll_ctl(m_epollFd, EPOLL_CTL_DEL, fd, nullptr);
    if (found->second->received.empty())
        --m_waiting;
    m_connections.erase(found);
    finish(fd);
    --m_open;
}

void ConnectionServer::dispatch(int fd)
{
    auto found = m_connections.find(fd);
    auto connection = std::move(found->second);
    m_connections.erase(found);
    ::epoll_ctl(m_epollFd, EPOLL_CTL_DEL, fd, nullptr);
    auto request = std::make_shared<std::string>(std::move(connection->received));
    if (!m_pool->tryPost([this, fd, request] { serve(fd, *request); })) {
        ++m_busy;
        serverlog::warning("all workers busy and the queue full: request refused");
        std::string reply = m_protocol.refuse(RequestProtocol::Problem::Busy);
        [[maybe_unused]] ssize_t sent = ::send(fd, reply.data(), reply.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        finish(fd);
        --m_open;
    }
}

namespace {

// The IP address of the other end of fd, as text; empty when unknown.
std::string peerAddress(int fd)
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getpeername(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        return {};
    char text[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET)
        ::inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in &>(address).sin_addr, text, sizeof text);
    else if (address.ss_family == AF_INET6)
        ::inet_ntop(AF_INET6, &reinterpret_cast<sockaddr_in6 &>(address).sin6_addr, text, sizeof text);
    return text;
}

} // namespace

void ConnectionServer::serve(int fd, const std::string &request)
{
    std::string reply;
    try {
        reply = m_protocol.handle(request, peerAddress(fd));
    } catch (const std::exception &failure) {
        serverlog::error(std::string("request failed: ") + failure.what());
        reply = m_protocol.refuse(RequestProtocol::Problem::Malformed);
    }
    if (!writeAll(fd, reply, Clock::now() + m_limits.writeTimeout))
        serverlog::info("the client did not take its reply: connection closed");
    finish(fd);
    --m_open;
}
