#include "loopbackserver.h"

#include <stdexcept>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

LoopbackServer::LoopbackServer(std::string reply)
    : m_reply(std::move(reply))
{
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
        || ::listen(m_listener, 128) != 0)
        throw std::runtime_error("benchmark server: cannot listen on loopback");
    socklen_t length = sizeof address;
    ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &length);
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { loop(); });
}

LoopbackServer::~LoopbackServer()
{
    m_stopping = true;
    m_thread.join();
    ::close(m_listener);
}

void LoopbackServer::loop()
{
    struct Connection
    {
        int socket;
        std::string request;
    };
    std::vector<Connection> connections;
    std::vector<pollfd> entries;
    char buffer[65536];
    while (!m_stopping) {
        entries.assign(1, pollfd{m_listener, POLLIN, 0});
        for (const Connection &connection : connections)
            entries.push_back({connection.socket, POLLIN, 0});
        if (::poll(entries.data(), entries.size(), 20) <= 0)
            continue;
        for (std::size_t i = 1; i < entries.size(); ++i) {
            if (entries[i].revents == 0)
                continue;
            Connection &connection = connections[i - 1];
            const ssize_t count = ::recv(connection.socket, buffer, sizeof buffer, 0);
            if (count > 0)
                connection.request.append(buffer, static_cast<std::size_t>(count));
            const bool complete = connection.request.size() >= 6
                && connection.request.compare(connection.request.size() - 6, 6, "\r\n\r\n\r\n") == 0;
            if (complete) {
                std::size_t sent = 0;
                while (sent < m_reply.size()) {
                    const ssize_t n = ::send(connection.socket, m_reply.data() + sent, m_reply.size() - sent,
                                             MSG_NOSIGNAL);
                    if (n <= 0)
                        break;
                    sent += static_cast<std::size_t>(n);
                }
            }
            if (complete || count <= 0) {
                ::close(connection.socket);
                connection.socket = -1;
            }
        }
        std::erase_if(connections, [](const Connection &c) { return c.socket < 0; });
        // Requests that arrived are answered before new connections are taken.
        if (entries[0].revents & POLLIN) {
            const int socket = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (socket >= 0)
                connections.push_back({socket, {}});
        }
    }
    for (const Connection &connection : connections)
        ::close(connection.socket);
}
