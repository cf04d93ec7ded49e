#include "server/tests/support/serverharness.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "orb/wire/codepage.h"
#include "orb/wire/mtxstring.h"

TempDir::TempDir()
{
    char pattern[] = "/tmp/keelserver-test-XXXXXX";
    m_path = ::mkdtemp(pattern);
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

TestClient::TestClient(int port, int discoveryPort) : m_client("127.0.0.1", port, discoveryPort)
{
    OrbClient::Timeouts timeouts;
    timeouts.connect = std::chrono::milliseconds(2000);
    timeouts.receive = std::chrono::milliseconds(10000);
    timeouts.discoveryReceive = std::chrono::milliseconds(200);
    m_client.setTimeouts(timeouts);
    m_client.setDiscoveryTarget("127.0.0.1");
    m_client.setDiscoveryFallbackPort(discoveryPort);
    m_client.setClient(&m_client);
}

TestClient::~TestClient() = default;

MtxStatus TestClient::login(const std::string &user, const std::string &password)
{
    MtxStatus status;
    MtxUserSession session;
    session.setUserName(user);
    m_client.login(status, user.c_str(), password.c_str(), "version", session);
    if (status.succeeded())
        actAs(user);
    return status;
}

void TestClient::actAs(const std::string &user)
{
    m_session.setUserName(user);
    m_client.setSession(m_session);
    for (auto &[name, service] : m_services)
        service->setSession(m_session);
}

MtxStatus TestClient::call(const char *service, const char *method, std::initializer_list<const MtxObj *> args,
                           MtxObj *response)
{
    OrbService *target = &m_client;
    if (std::string_view(service) != m_client.getServiceName()) {
        auto &slot = m_services[service];
        if (!slot) {
            slot = std::make_unique<OrbService>(service);
            slot->setClient(&m_client);
            slot->setSession(m_session);
        }
        target = slot.get();
    }
    return target->invoke(method, args, response);
}

MtxStatus TestClient::callText(const char *service, const char *method, const std::vector<std::string> &args,
                               MtxObj *response)
{
    std::vector<MtxString> values(args.size());
    for (std::size_t i = 0; i < args.size(); ++i)
        values[i].setValue(args[i]);
    switch (values.size()) {
    case 0: return call(service, method, {}, response);
    case 1: return call(service, method, {&values[0]}, response);
    default: return call(service, method, {&values[0], &values[1]}, response);
    }
}

void ServerTest::SetUp()
{
    startServer();
}

void ServerTest::TearDown()
{
    m_admin.reset();
    stopServer();
}

ServerOptions ServerTest::options() const
{
    ServerOptions options;
    options.port = 0;
    options.discoveryPort = 0;
    options.listen = "127.0.0.1";
    options.database = m_dir.file("keelmon.db");
    options.adminPassword = AdminPassword;
    options.demo = demo();
    options.logLevel = serverlog::Level::Error;
    return options;
}

void ServerTest::startServer()
{
    m_server = std::make_unique<AppServer>(options());
    m_server->start();
}

void ServerTest::stopServer()
{
    if (m_server)
        m_server->stop();
    m_server.reset();
}

void ServerTest::restartServer()
{
    m_admin.reset();
    stopServer();
    startServer();
}

TestClient &ServerTest::admin()
{
    if (!m_admin) {
        m_admin = newClient();
        MtxStatus status = m_admin->login("admin", AdminPassword);
        EXPECT_TRUE(status.succeeded()) << messageOf(status);
    }
    return *m_admin;
}

std::unique_ptr<TestClient> ServerTest::newClient()
{
    return std::make_unique<TestClient>(m_server->port(), m_server->discoveryPort());
}

std::string local(const char *utf8)
{
    return orb::fromUtf8(utf8);
}

std::string messageOf(const MtxStatus &status)
{
    return std::string(status.getCode()) + " " + orb::toUtf8(status.getMessage());
}

std::string exchange(int port, const std::string &bytes, int timeoutMs)
{
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(std::uint16_t(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string reply;
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0) {
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                break;
            sent += std::size_t(n);
        }
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                break;
            pollfd wait{fd, POLLIN, 0};
            if (::poll(&wait, 1, int(left.count())) <= 0)
                break;
            char buffer[65536];
            ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            reply.append(buffer, std::size_t(n));
        }
    }
    ::close(fd);
    return reply;
}
