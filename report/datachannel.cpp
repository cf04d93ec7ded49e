#include "report/datachannel.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "orb/textframe/replyreader.h"

namespace {

using Clock = std::chrono::steady_clock;

// Closes the socket on every way out.
class SocketHandle
{
public:
    explicit SocketHandle(int fd) : m_fd(fd) {}
    ~SocketHandle()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    SocketHandle(const SocketHandle &) = delete;
    SocketHandle &operator=(const SocketHandle &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

int RemainingMs(Clock::time_point until)
{
    // Rounded up, so a wait never ends before the time.
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
    return left > 0 ? int(left) : 0;
}

// Waits for events on fd until the time; false on time-out or failure.
bool WaitFor(int fd, short events, Clock::time_point until)
{
    for (;;) {
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, RemainingMs(until));
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

std::string Where(const std::string &host, int port)
{
    return host + ":" + std::to_string(port);
}

CDataChannel::Result Failure(CDataChannel::Outcome outcome, std::string error)
{
    CDataChannel::Result result;
    result.outcome = outcome;
    result.error = std::move(error);
    return result;
}

// A non-blocking socket connected to host:port within the time, or -1 with
// the reason in error.
int Connect(const std::string &host, int port, Clock::time_point until, std::string &error)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    const int lookup = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (lookup != 0) {
        error = "cannot resolve " + host + " (" + gai_strerror(lookup) + ")";
        return -1;
    }
    error = "cannot connect to " + Where(host, port);
    int connected = -1;
    for (addrinfo *address = found; address && connected < 0; address = address->ai_next) {
        const int fd = ::socket(address->ai_family, address->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                                address->ai_protocol);
        if (fd < 0)
            continue;
        int rc = ::connect(fd, address->ai_addr, address->ai_addrlen);
        if (rc != 0 && errno == EINPROGRESS) {
            if (WaitFor(fd, POLLOUT, until)) {
                int soError = 0;
                socklen_t length = sizeof soError;
                ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &length);
                rc = soError == 0 ? 0 : -1;
                errno = soError;
            } else {
                errno = ETIMEDOUT;
            }
        }
        if (rc == 0) {
            connected = fd;
        } else {
            error = "cannot connect to " + Where(host, port) + " (" + std::strerror(errno) + ")";
            ::close(fd);
        }
    }
    ::freeaddrinfo(found);
    return connected;
}

} // namespace

CDataChannel::Result CDataChannel::Exchange(const std::string &host, int port, const std::string &request,
                                            const Limits &limits)
{
    const Clock::time_point start = Clock::now();
    std::string error;
    SocketHandle socket(Connect(host, port, start + limits.connectTimeout, error));
    if (socket.get() < 0)
        return Failure(Outcome::ConnectFailed, error);

    const Clock::time_point until = start + limits.deadline;
    for (std::size_t sent = 0; sent < request.size();) {
        const ssize_t n = ::send(socket.get(), request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += std::size_t(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno == EAGAIN && WaitFor(socket.get(), POLLOUT, until)) {
            continue;
        } else {
            return Failure(Outcome::SendFailed, "cannot send the request to " + Where(host, port) + " ("
                                                    + std::strerror(n < 0 ? errno : EPIPE) + ")");
        }
    }

    ReplyReader reader(limits.cap);
    std::vector<char> buffer(256 * 1024);
    for (;;) {
        if (!WaitFor(socket.get(), POLLIN, until)) {
            Result result = Failure(Outcome::TimedOut, "no complete reply from " + Where(host, port) + " within "
                                                           + std::to_string(limits.deadline.count()) + " ms");
            result.reply = reader.reply();
            return result;
        }
        const ssize_t n = ::recv(socket.get(), buffer.data(), buffer.size(), 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0) {
            Result result = Failure(Outcome::Incomplete, Where(host, port) + " closed the connection before the end of the reply");
            result.reply = reader.reply();
            return result;
        }
        switch (reader.feed(std::string_view(buffer.data(), std::size_t(n)))) {
        case ReplyReader::State::Collecting:
            break;
        case ReplyReader::State::Complete: {
            Result result;
            result.outcome = Outcome::Complete;
            result.reply = reader.reply();
            return result;
        }
        case ReplyReader::State::Overflow:
            return Failure(Outcome::TooLarge, "the reply from " + Where(host, port) + " is larger than "
                                                  + std::to_string(limits.cap / (1024 * 1024)) + " MB");
        }
    }
}
