#include "report/tests/scripteddataserver.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace {

constexpr int PollMs = 20;
// A request that has not arrived by then is taken as it is.
constexpr int RequestWaitMs = 2000;

} // namespace

ScriptedDataServer::ScriptedDataServer()
{
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
        || ::listen(m_listener, 8) != 0
        || ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        throw std::runtime_error("scripted data server: cannot listen on 127.0.0.1");
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { run(); });
}

ScriptedDataServer::~ScriptedDataServer()
{
    m_stop = true;
    m_thread.join();
    ::close(m_listener);
}

void ScriptedDataServer::add(Script script)
{
    std::lock_guard lock(m_mutex);
    m_scripts.push_back(std::move(script));
}

std::vector<std::string> ScriptedDataServer::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

void ScriptedDataServer::run()
{
    while (!m_stop) {
        pollfd entry{m_listener, POLLIN, 0};
        if (::poll(&entry, 1, PollMs) <= 0)
            continue;
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        serve(fd);
        ::close(fd);
    }
}

void ScriptedDataServer::serve(int fd)
{
    // The request: six header bytes, then as many as the header says.
    std::string request;
    std::size_t wanted = 6;
    for (int waited = 0; request.size() < wanted && waited < RequestWaitMs && !m_stop; waited += PollMs) {
        pollfd entry{fd, POLLIN, 0};
        if (::poll(&entry, 1, PollMs) <= 0)
            continue;
        char buffer[2048];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        request.append(buffer, std::size_t(n));
        if (request.size() >= 6 && wanted == 6)
            wanted = 6 + std::size_t(std::atoi(request.substr(2, 4).c_str()));
    }
    Script script;
    {
        std::lock_guard lock(m_mutex);
        m_requests.push_back(request);
        if (!m_scripts.empty()) {
            script = std::move(m_scripts.front());
            m_scripts.pop_front();
        }
    }
    for (const Piece &piece : script.pieces) {
        std::this_thread::sleep_for(piece.pauseBefore);
        for (std::size_t sent = 0; sent < piece.bytes.size();) {
            const ssize_t n = ::send(fd, piece.bytes.data() + sent, piece.bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                return;
            sent += std::size_t(n);
        }
    }
    while (script.holdOpen && !m_stop)
        std::this_thread::sleep_for(std::chrono::milliseconds(PollMs));
}
