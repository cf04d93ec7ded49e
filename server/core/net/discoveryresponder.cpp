#include "server/core/net/discoveryresponder.h"
#include "server/core/net/boundsocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "server/core/serverlog.h"

DiscoveryResponder::DiscoveryResponder(std::string answer) : m_answer(std::move(answer)) {}

DiscoveryResponder::~DiscoveryResponder()
{
    stop();
}

void DiscoveryResponder::start(const std::string &address, int port)
{
    const boundsocket::Result bound = boundsocket::bind(SOCK_DGRAM, address, port);
    if (!bound.resolved)
        throw std::runtime_error("cannot answer discovery on " + address + ": " + bound.reason);
    if (bound.fd < 0)
        throw std::runtime_error("cannot answer discovery on UDP " + address + ":" + std::to_string(port) + ": "
                                 + bound.reason + " (choose another port with --discovery-port)");
    m_fd = bound.fd;
    // Each question then tells the local address it came to: without a
    // configured answer, that address is the answer.
    int on = 1;
    ::setsockopt(m_fd, IPPROTO_IP, IP_PKTINFO, &on, sizeof on);
    m_port = boundsocket::localPort(m_fd);
    m_wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    m_thread = std::thread([this] { loop(); });
}

void DiscoveryResponder::stop()
{
    if (!m_thread.joinable())
        return;
    std::uint64_t one = 1;
    [[maybe_unused]] ssize_t written = ::write(m_wakeFd, &one, sizeof one);
    m_thread.join();
    ::close(m_fd);
    ::close(m_wakeFd);
    m_fd = m_wakeFd = -1;
}

void DiscoveryResponder::loop()
{
    for (;;) {
        pollfd waits[2] = {{m_fd, POLLIN, 0}, {m_wakeFd, POLLIN, 0}};
        if (::poll(waits, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            serverlog::error(std::string("discovery stopped: ") + std::strerror(errno));
            return;
        }
        if (waits[1].revents)
            return;
        char question[512];
        sockaddr_in sender{};
        char control[256];
        iovec part{question, sizeof question};
        msghdr message{};
        message.msg_name = &sender;
        message.msg_namelen = sizeof sender;
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        ssize_t got = ::recvmsg(m_fd, &message, MSG_DONTWAIT);
        if (got < ssize_t(Question.size()) || std::string_view(question, Question.size()) != Question)
            continue; // not the discovery question: no answer

        std::string answer = m_answer;
        if (answer.empty()) {
            for (cmsghdr *header = CMSG_FIRSTHDR(&message); header; header = CMSG_NXTHDR(&message, header)) {
                if (header->cmsg_level == IPPROTO_IP && header->cmsg_type == IP_PKTINFO) {
                    in_pktinfo info;
                    std::memcpy(&info, CMSG_DATA(header), sizeof info);
                    char text[INET_ADDRSTRLEN] = {};
                    ::inet_ntop(AF_INET, &info.ipi_spec_dst, text, sizeof text);
                    answer = text;
                }
            }
        }
        if (answer.empty() || answer.size() >= 500)
            continue;
        ::sendto(m_fd, answer.data(), answer.size(), MSG_NOSIGNAL, reinterpret_cast<sockaddr *>(&sender),
                 message.msg_namelen);
        ++m_answered;
        char from[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &sender.sin_addr, from, sizeof from);
        serverlog::debug("discovery answered to " + std::string(from) + " with " + answer);
    }
}
