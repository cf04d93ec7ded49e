#include "server/engine/alerts/smtpsender.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "server/engine/checks/socketwait.h"

namespace smtpsender {
namespace {

using socketwait::Clock;

// Reads one reply (possibly multi-line: "250-..." lines then "250 ...") and
// returns its code, or 0 on failure.
int readReply(int fd, std::string &pending, Clock::time_point deadline, std::string &text)
{
    for (int reads = 0; reads < 1000; ++reads) {
        std::size_t end;
        while ((end = pending.find("\r\n")) != std::string::npos) {
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 2);
            if (line.size() >= 3 && (line.size() == 3 || line[3] == ' ')) {
                text = line;
                return std::atoi(line.substr(0, 3).c_str());
            }
        }
        if (!socketwait::waitFor(fd, POLLIN, deadline))
            return 0;
        char buffer[1024];
        ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0 && !(got < 0 && errno == EINTR))
            return 0;
        if (got > 0)
            pending.append(buffer, std::size_t(got));
    }
    return 0;
}

// Lines starting with "." are doubled so the body cannot end the message early.
std::string dotStuffed(const std::string &body)
{
    std::string out;
    std::size_t start = 0;
    while (start <= body.size()) {
        std::size_t end = body.find('\n', start);
        std::string line = body.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        out += (line.starts_with(".") ? "." : "") + line + "\r\n";
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return out;
}

bool clean(const std::string &text)
{
    return text.find_first_of("\r\n<>") == std::string::npos;
}

} // namespace

bool send(const std::string &host, int port, const Message &message, std::chrono::milliseconds timeout,
          std::string &reason)
{
    if (!clean(message.from) || !clean(message.to) || message.to.empty() || message.subject.find_first_of("\r\n") != std::string::npos) {
        reason = "the mail address or subject holds characters a mail header cannot carry";
        return false;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(std::uint16_t(port));
    if (::inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1) {
        reason = "the SMTP server " + host + " is not an IPv4 address";
        return false;
    }
    auto deadline = Clock::now() + timeout;
    int fd = -1;
    if (socketwait::connect(address, deadline, fd, reason) != socketwait::Connect::Connected) {
        if (fd >= 0)
            ::close(fd);
        reason = "cannot reach the SMTP server " + host + ":" + std::to_string(port) + ": " + reason;
        return false;
    }
    const std::string steps[][2] = {
        {"", "220"},
        {"HELO keelmon\r\n", "250"},
        {"MAIL FROM:<" + message.from + ">\r\n", "250"},
        {"RCPT TO:<" + message.to + ">\r\n", "25"},
        {"DATA\r\n", "354"},
        {"From: <" + message.from + ">\r\nTo: <" + message.to + ">\r\nSubject: " + message.subject
             + "\r\nContent-Type: text/plain; charset=UTF-8\r\n\r\n" + dotStuffed(message.body) + ".\r\n",
         "250"},
        {"QUIT\r\n", "221"},
    };
    std::string pending, answer;
    bool ok = true;
    for (const auto &[command, expected] : steps) {
        if (!command.empty() && !socketwait::sendAll(fd, command, deadline)) {
            reason = "the SMTP server stopped taking data";
            ok = false;
            break;
        }
        int code = readReply(fd, pending, deadline, answer);
        if (code == 0 || !std::to_string(code).starts_with(expected)) {
            reason = code ? "the SMTP server answered \"" + answer + "\"" : "no answer from the SMTP server in time";
            ok = std::string_view(expected) == "221"; // the message was taken; a rude QUIT does not undo that
            break;
        }
    }
    ::close(fd);
    return ok;
}

} // namespace smtpsender
