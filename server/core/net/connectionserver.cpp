#include "server/core/net/connectionserver.h"
#include "server/core/net/boundsocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/ioctl.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <stdexcept>

#include "server/core/serverlog.h"

using Clock = std::chrono::steady_clock;

RequestProtocol::~RequestProtocol() = default;

struct ConnectionServer::Connection
{
    int fd;
    std::string received;
    std::size_t checked = 0;
    std::size_t held = 0; // received's buffer, counted in the incomplete budget
    Clock::time_point opened;
    Clock::time_point firstByte;
    // A reply being written by the event loop: what is left of it and when
    // the client must have taken it.
    std::string reply;
    std::size_t sent = 0;
    Clock::time_point writeDeadline;
    bool writing() const { return !reply.empty(); }
};

namespace {

void setNonBlocking(int fd)
{
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

// Sends what the socket takes now; the count sent, or -1 when the peer went away.
ssize_t sendSome(int fd, std::string_view text)
{
    std::size_t total = 0;
    while (total < text.size()) {
        ssize_t sent = ::send(fd, text.data() + total, text.size() - total, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0)
            total += std::size_t(sent);
        else if (sent < 0 && errno == EINTR)
            continue;
        else if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        else
            return -1;
    }
    return ssize_t(total);
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
    m_unsentFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    epoll_event event{};
    event.events = EPOLLIN;
    for (int fd : {m_listenFd, m_wakeFd, m_unsentFd}) {
        event.data.fd = fd;
        ::epoll_ctl(m_epollFd, EPOLL_CTL_ADD, fd, &event);
    }

    m_pool = std::make_unique<WorkerPool>(m_limits.workerThreads, m_limits.queueCapacity);
    m_thread = std::thread([this] { loop(); });
}

void ConnectionServer::stop()
{
    if (m_stopped.exchange(true) || m_listenFd < 0)
        return;
    std::uint64_t one = 1;
    [[maybe_unused]] ssize_t written = ::write(m_wakeFd, &one, sizeof one);
    // The loop stops accepting and reading; the requests already handed over
    // are answered, and the loop writes what their clients still take.
    m_pool->stop();
    m_workersDone = true;
    written = ::write(m_wakeFd, &one, sizeof one);
    m_thread.join();
    ::close(m_epollFd);
    ::close(m_wakeFd);
    ::close(m_unsentFd);
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

int ConnectionServer::waitMilliseconds(Clock::time_point nextSweep) const
{
    auto until = m_acceptPaused ? std::min(nextSweep, m_acceptPausedUntil) : nextSweep;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
    return int(std::clamp<long long>(left, 0, 1000));
}

void ConnectionServer::loop()
{
    // Deadlines are checked a few times per request time-out.
    auto sweepEvery = std::clamp(std::min(m_limits.requestTimeout, m_limits.writeTimeout) / 4,
                                 std::chrono::milliseconds(10), std::chrono::milliseconds(1000));
    auto nextSweep = Clock::now() + sweepEvery;
    bool stopping = false;
    // Replies still being written at a stop get a short while, not the
    // whole write time-out.
    std::optional<Clock::time_point> drainEnd;
    epoll_event events[64];
    for (;;) {
        int count = ::epoll_wait(m_epollFd, events, 64, waitMilliseconds(nextSweep));
        if (count < 0 && errno != EINTR) {
            serverlog::error(std::string("waiting for connections failed: ") + std::strerror(errno));
            break;
        }
        for (int i = 0; i < count; ++i) {
            int fd = events[i].data.fd;
            if (fd == m_wakeFd) {
                std::uint64_t drained;
                [[maybe_unused]] ssize_t got = ::read(m_wakeFd, &drained, sizeof drained);
                if (!stopping) {
                    // No new connections or requests; replies in hand go on.
                    stopping = true;
                    ::epoll_ctl(m_epollFd, EPOLL_CTL_DEL, m_listenFd, nullptr);
                    std::vector<int> reading;
                    for (auto &[open, connection] : m_connections)
                        if (!connection->writing())
                            reading.push_back(open);
                    for (int open : reading)
                        close(open);
                }
            } else if (fd == m_unsentFd) {
                takeUnsent();
            } else if (fd == m_listenFd) {
                if (!stopping)
                    acceptAll();
            } else if (auto found = m_connections.find(fd); found != m_connections.end()) {
                if (found->second->writing())
                    writeTo(*found->second);
                else if (!stopping)
                    readFrom(*found->second);
            }
        }
        if (m_incompleteBytes > m_limits.incompleteBudget)
            shedOverBudget();
        if (m_acceptPaused && !stopping && Clock::now() >= m_acceptPausedUntil)
            resumeAccepting();
        if (Clock::now() >= nextSweep) {
            sweep();
            nextSweep = Clock::now() + sweepEvery;
        }
        if (stopping && m_workersDone) {
            takeUnsent();
            if (!drainEnd)
                drainEnd = Clock::now() + std::min<Clock::duration>(m_limits.writeTimeout, std::chrono::seconds(3));
            if (m_connections.empty() || Clock::now() >= *drainEnd)
                break;
        }
    }
    ::close(m_listenFd);
    for (auto &[fd, connection] : m_connections) {
        ::close(fd);
        --m_open;
    }
    m_connections.clear();
    m_incompleteBytes = 0;
    m_waiting = 0;
}

void ConnectionServer::acceptAll()
{
    for (;;) {
        int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            if (errno == EMFILE || errno == ENFILE) {
                serverlog::warning("cannot accept more connections: the process has no file descriptors left"
                                   " (lower --max-connections or raise the open-files limit)");
                pauseAccepting();
            }
            return;
        }
        ++m_accepted;
        if (m_open >= m_limits.maxConnections && !makeRoom()) {
            refuseNew(fd);
            continue;
        }
        int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        auto connection = std::make_unique<Connection>();
        connection->fd = fd;
        connection->opened = Clock::now();
        watch(std::move(connection), EPOLLIN | EPOLLRDHUP);
        ++m_open;
        ++m_waiting;
    }
}

void ConnectionServer::pauseAccepting()
{
    // Waiting connections stay in the backlog; the listener is left out of
    // epoll so that the loop does not spin on a connection it cannot take.
    ::epoll_ctl(m_epollFd, EPOLL_CTL_DEL, m_listenFd, nullptr);
    m_acceptPaused = true;
    m_acceptPausedUntil = Clock::now() + m_limits.acceptPause;
}

void ConnectionServer::resumeAccepting()
{
    m_acceptPaused = false;
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.fd = m_listenFd;
    ::epoll_ctl(m_epollFd, EPOLL_CTL_ADD, m_listenFd, &event);
}

void ConnectionServer::refuseNew(int fd)
{
    // The busy reply fits the socket buffer; the client reads it as its answer.
    ++m_busy;
    serverlog::warning("connection limit reached: a new client was answered busy");
    std::string reply = m_protocol.refuse(RequestProtocol::Problem::Busy);
    [[maybe_unused]] ssize_t sent = ::send(fd, reply.data(), reply.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    finish(fd);
}

bool ConnectionServer::makeRoom()
{
    // The oldest connection that has sent nothing gives way to a new one;
    // bytes waiting unread in its socket count as sent.
    const auto unread = [](int fd) {
        int bytes = 0;
        return ::ioctl(fd, FIONREAD, &bytes) == 0 && bytes > 0;
    };
    Connection *oldest = nullptr;
    for (auto &[fd, connection] : m_connections)
        if (connection->received.empty() && !connection->writing()
            && (!oldest || connection->opened < oldest->opened) && !unread(fd))
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
    bool ended = false;
    for (;;) {
        ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got > 0) {
            if (connection.received.empty()) {
                connection.firstByte = Clock::now();
                --m_waiting;
            }
            connection.received.append(buffer, std::size_t(got));
            m_incompleteBytes += connection.received.capacity() - connection.held;
            connection.held = connection.received.capacity();
            if (connection.received.size() > m_limits.maxRequestBytes) {
                ++m_oversized;
                serverlog::info("request larger than " + std::to_string(m_limits.maxRequestBytes)
                                + " bytes refused");
                refuseAndClose(fd, RequestProtocol::Problem::TooLarge);
                return;
            }
            if (m_incompleteBytes > m_limits.incompleteBudget)
                break; // the rest stays in the socket until the budget is met
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        if (got < 0) {
            close(fd); // the connection broke
            return;
        }
        ended = true; // the peer closed its side: a complete request is still answered
        break;
    }
    if (connection.received.empty()) {
        if (ended)
            close(fd);
        return;
    }
    switch (m_protocol.frame(connection.received, connection.checked)) {
    case requestreader::Frame::Incomplete:
        connection.checked = connection.received.size();
        if (ended)
            close(fd);
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

void ConnectionServer::writeTo(Connection &connection)
{
    std::string_view rest = std::string_view(connection.reply).substr(connection.sent);
    ssize_t sent = sendSome(connection.fd, rest);
    if (sent >= 0 && std::size_t(sent) < rest.size()) {
        connection.sent += std::size_t(sent);
        return;
    }
    if (sent < 0)
        serverlog::info("the client went away before taking its reply");
    const int fd = connection.fd;
    forget(fd);
    finish(fd);
    --m_open;
}

void ConnectionServer::takeUnsent()
{
    std::uint64_t drained;
    [[maybe_unused]] ssize_t got = ::read(m_unsentFd, &drained, sizeof drained);
    std::vector<Unsent> handed;
    {
        std::lock_guard hold(m_unsentLock);
        handed.swap(m_unsent);
    }
    for (Unsent &unsent : handed) {
        auto connection = std::make_unique<Connection>();
        connection->fd = unsent.fd;
        connection->opened = Clock::now();
        connection->reply = std::move(unsent.reply);
        connection->sent = unsent.sent;
        connection->writeDeadline = connection->opened + m_limits.writeTimeout;
        watch(std::move(connection), EPOLLOUT);
    }
}

void ConnectionServer::shedOverBudget()
{
    // The unfinished requests holding most are refused until a quarter of the
    // budget is free again.
    std::vector<std::pair<std::size_t, int>> holders;
    for (auto &[fd, connection] : m_connections)
        if (connection->held > 0)
            holders.emplace_back(connection->held, fd);
    std::sort(holders.begin(), holders.end(), std::greater<>());
    const std::size_t target = m_limits.incompleteBudget / 4 * 3;
    std::size_t refused = 0;
    for (auto [held, fd] : holders) {
        if (m_incompleteBytes <= target)
            break;
        ++refused;
        ++m_busy;
        refuseAndClose(fd, RequestProtocol::Problem::Busy);
    }
    serverlog::warning("unfinished requests hold more than " + std::to_string(m_limits.incompleteBudget >> 20)
                       + " MiB: the " + std::to_string(refused) + " largest were refused");
}

void ConnectionServer::sweep()
{
    auto now = Clock::now();
    std::vector<std::pair<int, bool>> expired; // fd, whether the client is told
    std::uint64_t waiting = 0;
    for (auto &[fd, connection] : m_connections) {
        if (connection->writing()) {
            if (now > connection->writeDeadline) {
                serverlog::info("the client did not take its reply in time: connection closed");
                expired.emplace_back(fd, false);
            }
        } else if (connection->received.empty()) {
            ++waiting;
            if (now - connection->opened > m_limits.idleTimeout)
                expired.emplace_back(fd, false);
        } else if (now - connection->firstByte > m_limits.requestTimeout) {
            expired.emplace_back(fd, true);
        }
    }
    m_waiting = waiting;
    for (auto [fd, told] : expired) {
        if (told) {
            ++m_timedOut;
            serverlog::info("request not complete within the time-out: connection closed");
            refuseAndClose(fd, RequestProtocol::Problem::TimedOut);
        } else {
            close(fd);
        }
    }
}

void ConnectionServer::watch(std::unique_ptr<Connection> connection, std::uint32_t events)
{
    epoll_event event{};
    event.events = events;
    event.data.fd = connection->fd;
    ::epoll_ctl(m_epollFd, EPOLL_CTL_ADD, connection->fd, &event);
    m_connections.emplace(connection->fd, std::move(connection));
}

std::unique_ptr<ConnectionServer::Connection> ConnectionServer::forget(int fd)
{
    auto found = m_connections.find(fd);
    if (found == m_connections.end())
        return nullptr;
    std::unique_ptr<Connection> connection = std::move(found->second);
    m_connections.erase(found);
    ::epoll_ctl(m_epollFd, EPOLL_CTL_DEL, fd, nullptr);
    if (connection->received.empty() && !connection->writing())
        --m_waiting;
    m_incompleteBytes -= connection->held;
    return connection;
}

void ConnectionServer::close(int fd)
{
    if (!forget(fd))
        return;
    ::close(fd);
    --m_open;
}

void ConnectionServer::refuseAndClose(int fd, RequestProtocol::Problem problem)
{
    // The refusal is short enough for the socket buffer; it is not waited for.
    std::string reply = m_protocol.refuse(problem);
    [[maybe_unused]] ssize_t sent = ::send(fd, reply.data(), reply.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (!forget(fd))
        return;
    finish(fd);
    --m_open;
}

void ConnectionServer::dispatch(int fd)
{
    auto request = std::make_shared<std::string>(std::move(forget(fd)->received));
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
    ssize_t sent = sendSome(fd, reply);
    if (sent >= 0 && std::size_t(sent) < reply.size()) {
        // The client takes its reply slowly: the event loop writes the rest.
        {
            std::lock_guard hold(m_unsentLock);
            m_unsent.push_back({fd, std::move(reply), std::size_t(sent)});
        }
        std::uint64_t one = 1;
        [[maybe_unused]] ssize_t written = ::write(m_unsentFd, &one, sizeof one);
        return;
    }
    if (sent < 0)
        serverlog::info("the client went away before taking its reply");
    finish(fd);
    --m_open;
}
