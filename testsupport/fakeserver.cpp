#include "testsupport/fakeserver.h"

#include <algorithm>
#include <cerrno>
#include <stdexcept>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "testsupport/loopback.h"

namespace testing_support {

namespace {

using namespace std::chrono_literals;

constexpr auto PatienceLimit = 5s;

bool readable(int socket, std::chrono::milliseconds timeout)
{
    pollfd entry{socket, POLLIN, 0};
    return ::poll(&entry, 1, static_cast<int>(timeout.count())) > 0;
}

bool endsWith(const std::string &text, const std::string &tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::string elementText(const std::string &text, const std::string &name)
{
    const std::string open = "<" + name + ">";
    const auto start = text.find(open);
    if (start == std::string::npos)
        return {};
    const auto end = text.find("</" + name + ">", start);
    return end == std::string::npos ? std::string() : text.substr(start + open.size(), end - start - open.size());
}

} // namespace

std::string Peer::readRequest()
{
    std::string request;
    const auto deadline = std::chrono::steady_clock::now() + PatienceLimit;
    char buffer[4096];
    while (!endsWith(request, "\r\n\r\n\r\n") && std::chrono::steady_clock::now() < deadline) {
        if (!readable(m_socket, 50ms))
            continue;
        const ssize_t count = ::recv(m_socket, buffer, sizeof buffer, 0);
        if (count <= 0)
            break;
        request.append(buffer, static_cast<std::size_t>(count));
    }
    if (!request.empty())
        m_server.record(request);
    return request;
}

void Peer::send(const std::string &bytes)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t count = ::send(m_socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (count <= 0)
            return;
        sent += static_cast<std::size_t>(count);
    }
}

void Peer::sendPieces(const std::string &bytes, const std::vector<std::size_t> &pieceSizes)
{
    const int on = 1;
    ::setsockopt(m_socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    std::size_t offset = 0;
    for (std::size_t size : pieceSizes) {
        send(bytes.substr(offset, size));
        offset += size;
        std::this_thread::sleep_for(5ms);
    }
    if (offset < bytes.size())
        send(bytes.substr(offset));
}

void Peer::waitForClientClose()
{
    const auto deadline = std::chrono::steady_clock::now() + PatienceLimit;
    char buffer[256];
    while (std::chrono::steady_clock::now() < deadline) {
        if (!readable(m_socket, 50ms))
            continue;
        if (::recv(m_socket, buffer, sizeof buffer, 0) <= 0)
            return;
    }
}

FakeTcpServer::FakeTcpServer(Behaviour behaviour, bool listenNow)
    : m_behaviour(std::move(behaviour))
{
    m_listener = bindLoopback(SOCK_STREAM, m_port);
    if (listenNow)
        startListening();
}

void FakeTcpServer::startListening()
{
    ::listen(m_listener, 64);
    m_acceptThread = std::thread([this] { acceptLoop(); });
}

FakeTcpServer::~FakeTcpServer()
{
    m_stopping = true;
    if (m_acceptThread.joinable())
        m_acceptThread.join();
    dropConnections();
    std::vector<std::thread> handlers;
    {
        std::lock_guard lock(m_mutex);
        handlers.swap(m_handlers);
    }
    for (auto &handler : handlers)
        handler.join();
    ::close(m_listener);
}

void FakeTcpServer::acceptLoop()
{
    while (!m_stopping) {
        if (!readable(m_listener, 20ms))
            continue;
        const int connection = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0)
            continue;
        ++m_accepted;
        std::lock_guard lock(m_mutex);
        m_open.push_back(connection);
        Behaviour behaviour = m_behaviour;
        m_handlers.emplace_back([this, connection, behaviour] {
            Peer peer(connection, *this);
            if (behaviour)
                behaviour(peer);
            std::lock_guard lock(m_mutex);
            m_open.erase(std::remove(m_open.begin(), m_open.end(), connection), m_open.end());
            ::close(connection);
        });
    }
}

void FakeTcpServer::record(std::string request)
{
    std::lock_guard lock(m_mutex);
    m_requests.push_back(std::move(request));
}

std::vector<std::string> FakeTcpServer::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

std::size_t FakeTcpServer::openConnections() const
{
    std::lock_guard lock(m_mutex);
    return m_open.size();
}

void FakeTcpServer::dropConnections()
{
    std::lock_guard lock(m_mutex);
    for (int connection : m_open)
        ::shutdown(connection, SHUT_RDWR);
}

void FakeTcpServer::setBehaviour(Behaviour behaviour)
{
    std::lock_guard lock(m_mutex);
    m_behaviour = std::move(behaviour);
}

FakeUdpResponder::FakeUdpResponder(std::string answer)
    : m_answer(std::move(answer))
{
    m_socket = bindLoopback(SOCK_DGRAM, m_port);
    m_thread = std::thread([this] { loop(); });
}

FakeUdpResponder::~FakeUdpResponder()
{
    m_stopping = true;
    m_thread.join();
    ::close(m_socket);
}

void FakeUdpResponder::loop()
{
    char buffer[2048];
    while (!m_stopping) {
        if (!readable(m_socket, 20ms))
            continue;
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const ssize_t count = ::recvfrom(m_socket, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr *>(&from), &length);
        if (count < 0)
            continue;
        {
            std::lock_guard lock(m_mutex);
            m_datagrams.emplace_back(buffer, static_cast<std::size_t>(count));
        }
        ++m_received;
        if (!m_answer.empty())
            ::sendto(m_socket, m_answer.data(), m_answer.size(), 0, reinterpret_cast<const sockaddr *>(&from), length);
    }
}

std::vector<std::string> FakeUdpResponder::datagrams() const
{
    std::lock_guard lock(m_mutex);
    return m_datagrams;
}

bool FakeUdpResponder::waitForDatagrams(int count) const
{
    const auto deadline = std::chrono::steady_clock::now() + PatienceLimit;
    while (m_received < count && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(2ms);
    return m_received >= count;
}

std::string paddedReply(std::size_t totalLength, const std::string &response)
{
    const std::string head = "<pro-rep><service-name>SysService</service-name><method-name>m</method-name><padding>";
    const std::string tail = "</padding><response>" + response + "</response></pro-rep>";
    const std::size_t fixed = head.size() + tail.size();
    return head + std::string(totalLength > fixed ? totalLength - fixed : 0, 'x') + tail;
}

std::string stringReply(const std::string &method, const std::string &text)
{
    return "<pro-rep><service-name>SysService</service-name><method-name>" + method
        + "</method-name><response>" + text + "</response></pro-rep>";
}

std::string methodOf(const std::string &request)
{
    return elementText(request, "method-name");
}

std::string sessionOf(const std::string &request)
{
    return elementText(request, "session-iD");
}

} // namespace testing_support
