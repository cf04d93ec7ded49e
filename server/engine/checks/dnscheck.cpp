// DNS lookup sent to the server the monitor names, never the system resolver.
#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

#include "server/engine/checks/checks.h"
#include "server/engine/checks/socketwait.h"

namespace checks {
namespace {

using socketwait::Clock;

// An A query for name with the given id; false when name cannot be encoded.
bool buildQuery(const std::string &name, std::uint16_t id, std::string &query)
{
    query.assign({char(id >> 8), char(id & 0xff), 0x01, 0x00, 0, 1, 0, 0, 0, 0, 0, 0});
    std::size_t start = 0;
    std::string trimmed = name.ends_with('.') ? name.substr(0, name.size() - 1) : name;
    if (trimmed.empty() || trimmed.size() > 253)
        return false;
    while (start <= trimmed.size()) {
        std::size_t dot = trimmed.find('.', start);
        if (dot == std::string::npos)
            dot = trimmed.size();
        std::size_t length = dot - start;
        if (length == 0 || length > 63)
            return false;
        query.push_back(char(length));
        query.append(trimmed, start, length);
        start = dot + 1;
    }
    query.append({0, 0, 1, 0, 1}); // root, type A, class IN
    return true;
}

// Moves pos past a (possibly compressed) name; false when it runs off the end.
bool skipName(const std::string &packet, std::size_t &pos)
{
    for (int labels = 0; labels < 128 && pos < packet.size(); ++labels) {
        auto length = std::uint8_t(packet[pos]);
        if (length == 0) {
            ++pos;
            return true;
        }
        if ((length & 0xc0) == 0xc0) {
            pos += 2;
            return pos <= packet.size();
        }
        pos += 1 + length;
    }
    return false;
}

std::uint16_t read16(const std::string &packet, std::size_t pos)
{
    return std::uint16_t((std::uint8_t(packet[pos]) << 8) | std::uint8_t(packet[pos + 1]));
}

// The first A record of the answer section, or empty.
std::string firstAddress(const std::string &packet)
{
    std::size_t pos = 12;
    for (int i = read16(packet, 4); i > 0; --i)
        if (!skipName(packet, pos) || (pos += 4) > packet.size())
            return {};
    for (int i = read16(packet, 6); i > 0; --i) {
        if (!skipName(packet, pos) || pos + 10 > packet.size())
            return {};
        std::uint16_t type = read16(packet, pos), length = read16(packet, pos + 8);
        pos += 10;
        if (pos + length > packet.size())
            return {};
        if (type == 1 && length == 4) {
            char text[INET_ADDRSTRLEN];
            return ::inet_ntop(AF_INET, packet.data() + pos, text, sizeof text) ? text : "";
        }
        pos += length;
    }
    return {};
}

std::string rcodeText(int rcode)
{
    switch (rcode) {
    case 0: return "ok";
    case 2: return "servfail";
    case 3: return "nxdomain";
    case 5: return "refused";
    default: return "rcode " + std::to_string(rcode);
    }
}

} // namespace

CheckResult dnsLookup(const CheckInput &input)
{
    sockaddr_in server{};
    std::string reason;
    if (!input.scope->resolve(input.param("DnsServer"), input.intParam("Port", 53), server, reason))
        return CheckResult::failed("DNS server: " + reason);
    std::string name = input.param("QueryName");
    static thread_local std::mt19937 random{std::random_device{}()};
    auto id = std::uint16_t(random());
    std::string query;
    if (!buildQuery(name, id, query))
        return CheckResult::failed("\"" + name + "\" is not a name that can be looked up (parameter QueryName)");

    int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return CheckResult::failed(std::string("cannot open a socket: ") + std::strerror(errno));
    auto start = Clock::now();
    auto deadline = start + input.timeout;
    if (::connect(fd, reinterpret_cast<sockaddr *>(&server), sizeof server) != 0
        || ::send(fd, query.data(), query.size(), 0) != ssize_t(query.size())) {
        std::string why = std::strerror(errno);
        ::close(fd);
        return CheckResult::failed("cannot send the query: " + why);
    }
    // Answers with another id (late answers to an earlier query) are skipped;
    // the deadline bounds the loop.
    std::string packet;
    while (socketwait::waitFor(fd, POLLIN, deadline)) {
        char buffer[1500];
        ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got < 0 && errno == ECONNREFUSED) {
            ::close(fd);
            return CheckResult::failed("the DNS server's port is closed");
        }
        if (got >= 12 && read16(std::string(buffer, 2), 0) == id && (buffer[2] & 0x80)) {
            packet.assign(buffer, std::size_t(got));
            break;
        }
    }
    ::close(fd);
    if (packet.empty())
        return CheckResult::failed("no answer from the DNS server within the time-out");
    std::string elapsed =
        std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
    return CheckResult::ok({rcodeText(packet[3] & 0x0f), elapsed, firstAddress(packet)});
}

} // namespace checks
