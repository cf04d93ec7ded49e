#include "testsupport/testclient.h"

#include <chrono>

#include "orb/wire/codepage.h"
#include "orb/wire/mtxstring.h"

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
    case 2: return call(service, method, {&values[0], &values[1]}, response);
    default: return call(service, method, {&values[0], &values[1], &values[2]}, response);
    }
}

std::string local(const char *utf8)
{
    return orb::fromUtf8(utf8);
}

std::string messageOf(const MtxStatus &status)
{
    return std::string(status.getCode()) + " " + orb::toUtf8(status.getMessage());
}
