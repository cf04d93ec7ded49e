#include "server/tests/engine/loopbackservers.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <utility>

#include "server/core/serveroptions.h"

int boundLoopback(int type, int &port)
{
    int fd = ::socket(AF_INET, type | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
    socklen_t size = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &size);
    port = ntohs(address.sin_port);
    return fd;
}

ServerOptions loopbackServerOptions(const std::string &database)
{
    ServerOptions options;
    options.port = 0;
    options.discovery = false;
    options.probePort = 0;
    options.httpPort = 0;
    options.database = database;
    options.adminPassword = "Adm1n-pw";
    options.logLevel = serverlog::Level::Error;
    return options;
}

namespace {

bool readable(int fd, int millis)
{
    pollfd wait{fd, POLLIN, 0};
    return ::poll(&wait, 1, millis) > 0;
}

// Reads until text holds marker, the peer closes, or 2 s pass.
std::string readUntil(int fd, std::string &buffer, const std::string &marker)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (buffer.find(marker) == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        if (!readable(fd, 100))
            continue;
        char chunk[4096];
        ssize_t got = ::recv(fd, chunk, sizeof chunk, 0);
        if (got <= 0)
            break;
        buffer.append(chunk, std::size_t(got));
    }
    std::size_t end = buffer.find(marker);
    if (end == std::string::npos)
        return std::exchange(buffer, {});
    std::string head = buffer.substr(0, end + marker.size());
    buffer.erase(0, end + marker.size());
    return head;
}

void sendText(int fd, const std::string &text)
{
    [[maybe_unused]] ssize_t sent = ::send(fd, text.data(), text.size(), MSG_NOSIGNAL);
}

} // namespace

LoopbackTcpServer::LoopbackTcpServer(Handler handler) : m_handler(std::move(handler))
{
    m_fd = boundLoopback(SOCK_STREAM, m_port);
    ::listen(m_fd, 64);
    m_thread = std::thread([this] {
        while (!m_stop) {
            if (!readable(m_fd, 50))
                continue;
            int client = ::accept(m_fd, nullptr, nullptr);
            if (client < 0)
                continue;
            m_handler(client);
            ::close(client);
        }
    });
}

LoopbackTcpServer::~LoopbackTcpServer()
{
    m_stop = true;
    m_thread.join();
    ::close(m_fd);
}

LoopbackTcpServer::Handler LoopbackTcpServer::http(int status)
{
    return [status](int fd) {
        std::string buffer;
        readUntil(fd, buffer, "\r\n\r\n");
        sendText(fd, "HTTP/1.0 " + std::to_string(status) + " Test\r\nContent-Length: 0\r\n\r\n");
    };
}

LoopbackTcpServer::Handler LoopbackTcpServer::silent()
{
    return [](int fd) {
        std::string buffer;
        readUntil(fd, buffer, "never");
    };
}

SmtpSink::SmtpSink()
    : m_server([this](int fd) {
          std::string buffer;
          sendText(fd, "220 sink\r\n");
          for (int step = 0; step < 20; ++step) {
              std::string line = readUntil(fd, buffer, "\r\n");
              if (line.empty())
                  return;
              if (line.starts_with("DATA")) {
                  sendText(fd, "354 go on\r\n");
                  std::string data = readUntil(fd, buffer, "\r\n.\r\n");
                  std::lock_guard hold(m_lock);
                  m_messages.push_back(data);
                  sendText(fd, "250 queued\r\n");
              } else if (line.starts_with("QUIT")) {
                  sendText(fd, "221 bye\r\n");
                  return;
              } else {
                  sendText(fd, "250 ok\r\n");
              }
          }
      })
{
}

std::vector<std::string> SmtpSink::messages() const
{
    std::lock_guard hold(m_lock);
    return m_messages;
}

LoopbackDns::LoopbackDns(std::string name, std::string address) : m_name(std::move(name)), m_address(std::move(address))
{
    m_fd = boundLoopback(SOCK_DGRAM, m_port);
    m_thread = std::thread([this] {
        while (!m_stop) {
            if (!readable(m_fd, 50))
                continue;
            char packet[512];
            sockaddr_in from{};
            socklen_t size = sizeof from;
            ssize_t got = ::recvfrom(m_fd, packet, sizeof packet, 0, reinterpret_cast<sockaddr *>(&from), &size);
            if (got < 17)
                continue;
            // The question name, label by label.
            std::string name;
            std::size_t pos = 12;
            while (pos < std::size_t(got) && packet[pos] != 0) {
                std::size_t length = std::uint8_t(packet[pos]);
                if (!name.empty())
                    name += '.';
                name.append(packet + pos + 1, length);
                pos += 1 + length;
            }
            std::size_t questionEnd = pos + 5;
            std::string reply(packet, questionEnd);
            reply[2] = char(0x84); // answer, authoritative
            bool known = name == m_name;
            reply[3] = char(known ? 0x00 : 0x05); // no error / refused
            reply[6] = 0;
            reply[7] = known ? 1 : 0;
            if (known) {
                reply.append({char(0xc0), 12, 0, 1, 0, 1, 0, 0, 0, 60, 0, 4});
                in_addr address{};
                ::inet_pton(AF_INET, m_address.c_str(), &address);
                reply.append(reinterpret_cast<const char *>(&address), 4);
            }
            ::sendto(m_fd, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr *>(&from), size);
        }
    });
}

LoopbackDns::~LoopbackDns()
{
    m_stop = true;
    m_thread.join();
    ::close(m_fd);
}

int closedPort()
{
    int port = 0;
    int fd = boundLoopback(SOCK_STREAM, port);
    ::close(fd);
    return port;
}
