// TCP connect and HTTP GET checks.
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "server/engine/checks/checks.h"
#include "server/engine/checks/socketwait.h"

namespace checks {
namespace {

using socketwait::Clock;

std::string millisSince(Clock::time_point start)
{
    return std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

} // namespace

CheckResult tcpConnect(const CheckInput &input)
{
    sockaddr_in address{};
    std::string reason;
    int port = input.intParam("Port", -1);
    if (port <= 0)
        return CheckResult::failed("the monitor names no port (parameter Port)");
    if (!input.scope->resolve(input.param("HostName"), port, address, reason))
        return CheckResult::failed(reason);
    auto start = Clock::now();
    int fd = -1;
    auto outcome = socketwait::connect(address, start + input.timeout, fd, reason);
    std::string elapsed = millisSince(start);
    if (fd >= 0)
        ::close(fd);
    switch (outcome) {
    case socketwait::Connect::Connected:
        return CheckResult::ok({"open", elapsed});
    case socketwait::Connect::Refused:
        return CheckResult::ok({"closed", elapsed});
    case socketwait::Connect::TimedOut:
        return CheckResult::ok({"timeout", elapsed});
    case socketwait::Connect::Failed:
        break;
    }
    return CheckResult::failed("cannot connect: " + reason);
}

CheckResult httpGet(const CheckInput &input)
{
    sockaddr_in address{};
    std::string reason;
    std::string host = input.param("HostName");
    if (!input.scope->resolve(host, input.intParam("Port", 80), address, reason))
        return CheckResult::failed(reason);
    std::string path = input.param("Path", "/");
    if (path.front() != '/' || path.find_first_of(" \r\n") != std::string::npos)
        return CheckResult::failed("the path \"" + path + "\" must start with / and hold no blanks or line breaks");

    auto start = Clock::now();
    auto deadline = start + input.timeout;
    int fd = -1;
    auto outcome = socketwait::connect(address, deadline, fd, reason);
    if (outcome != socketwait::Connect::Connected) {
        if (fd >= 0)
            ::close(fd);
        return CheckResult::failed("cannot connect to " + host + ": " + reason);
    }
    std::string request = "GET " + path + " HTTP/1.0\r\nHost: " + host + "\r\nUser-Agent: keelmon-engine\r\n"
                          "Connection: close\r\n\r\n";
    std::string received;
    bool sent = socketwait::sendAll(fd, request, deadline);
    // Only the status line is needed: "HTTP/1.x NNN reason".
    while (sent && received.find("\r\n") == std::string::npos && received.size() < 4096) {
        if (!socketwait::waitFor(fd, POLLIN, deadline))
            break;
        char buffer[1024];
        ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got > 0)
            received.append(buffer, std::size_t(got));
        else if (got == 0 || errno != EINTR)
            break;
    }
    ::close(fd);
    if (!sent)
        return CheckResult::failed("the server did not take the request");
    if (received.size() < 12 || received.compare(0, 5, "HTTP/") != 0)
        return CheckResult::failed(received.empty() ? "no answer within the time-out" : "the answer is not HTTP");
    std::size_t blank = received.find(' ');
    std::string code = received.substr(blank + 1, 3);
    if (blank == std::string::npos || code.size() != 3 || code.find_first_not_of("0123456789") != std::string::npos)
        return CheckResult::failed("the answer has no status code");
    return CheckResult::ok({code, millisSince(start)});
}

} // namespace checks
