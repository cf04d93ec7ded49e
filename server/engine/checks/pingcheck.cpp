// Ping through an unprivileged ICMP datagram socket (net.ipv4.ping_group_range).
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "server/engine/checks/checks.h"
#include "server/engine/checks/socketwait.h"

namespace checks {

CheckResult ping(const CheckInput &input)
{
    using socketwait::Clock;
    sockaddr_in address{};
    std::string reason;
    if (!input.scope->resolve(input.param("HostName"), 0, address, reason))
        return CheckResult::failed(reason);
    int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (fd < 0) {
        if (errno == EACCES || errno == EPERM || errno == EPROTONOSUPPORT)
            return CheckResult::failed("ping not permitted: this system does not allow the server's group ICMP "
                                       "datagram sockets (see sysctl net.ipv4.ping_group_range)");
        return CheckResult::failed(std::string("cannot open an ICMP socket: ") + std::strerror(errno));
    }
    const int count = std::clamp(input.intParam("PacketCount", 4), 1, 10);
    const auto wait = std::min(std::chrono::milliseconds(std::clamp(input.intParam("Timeout", 2000), 10, 60000)),
                               input.timeout);
    int received = 0;
    double totalMillis = 0;
    for (int sequence = 1; sequence <= count; ++sequence) {
        icmphdr echo{};
        echo.type = ICMP_ECHO;
        echo.un.echo.sequence = htons(std::uint16_t(sequence));
        auto sentAt = Clock::now();
        if (::sendto(fd, &echo, sizeof echo, 0, reinterpret_cast<sockaddr *>(&address), sizeof address) < 0)
            continue;
        auto deadline = sentAt + wait;
        while (socketwait::waitFor(fd, POLLIN, deadline)) {
            icmphdr reply{};
            ssize_t got = ::recv(fd, &reply, sizeof reply, 0);
            if (got >= ssize_t(sizeof reply) && reply.type == ICMP_ECHOREPLY
                && ntohs(reply.un.echo.sequence) == sequence) {
                ++received;
                totalMillis += std::chrono::duration<double, std::milli>(Clock::now() - sentAt).count();
                break;
            }
        }
    }
    ::close(fd);
    int loss = (count - received) * 100 / count;
    return CheckResult::ok(
        {std::to_string(loss), received ? std::to_string(int(totalMillis / received + 0.5)) : std::string()});
}

} // namespace checks
