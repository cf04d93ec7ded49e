#include "orb/net/orbclient.h"

#include <cstdlib>
#include <system_error>
#include <vector>

#include "orb/net/callcontrol.h"
#include "orb/net/mtxreply.h"
#include "orb/net/mtxrequest.h"
#include "orb/net/serverdiscovery.h"
#include "orb/wire/mtxstring.h"

namespace {

void closeQuietly(CBlockingSocket &socket)
{
    try {
        socket.Close();
    } catch (const CBlockingSocketException &) {
    }
}

} // namespace

OrbClient::OrbClient(const char *host, int port, int discoveryPort)
    : OrbService("SysService"),
      m_port(port),
      m_configuredHost(host != nullptr && *host != '\0' ? host : "localhost"),
      m_discoveryPort(discoveryPort),
      m_currentHost(m_configuredHost)
{
}

OrbClient::~OrbClient()
{
    m_refill = false;
    stopRefillWorker();
    clearPool();
}

std::unique_ptr<CBlockingSocket> OrbClient::openConnection()
{
    const std::string host = getCurrentHost();
    if (host.empty())
        return nullptr;
    auto socket = std::make_unique<CBlockingSocket>();
    const Timeouts limits = timeouts();
    try {
        socket->Create();
        socket->Connect(CBlockingSocket::GetHostByName(host.c_str(), m_port), limits.connect);
        // Done here, ahead of the call, when a refill opens the connection.
        socket->SetReceiveTimeout(limits.receive);
        return socket;
    } catch (const CBlockingSocketException &) {
        // A cancelled call says nothing about the server.
        if (const CallControl *control = CallControl::current(); control && control->cancelled())
            return nullptr;
        // Later attempts fail at once until a reconnect finds the server; a
        // host that a reconnect set meanwhile is kept.
        std::lock_guard lock(m_mutex);
        if (m_currentHost == host)
            m_currentHost.clear();
        return nullptr;
    }
}

bool OrbClient::addConnection()
{
    std::unique_ptr<CBlockingSocket> socket = openConnection();
    if (!socket)
        return false;
    // A pooled connection serves later calls, not the one that opened it.
    socket->DetachFromCall();
    std::lock_guard lock(m_mutex);
    m_pool.push_front(std::move(socket));
    return true;
}

void OrbClient::clearPool()
{
    std::deque<std::unique_ptr<CBlockingSocket>> taken;
    {
        std::lock_guard lock(m_mutex);
        taken.swap(m_pool);
    }
    for (auto &socket : taken)
        closeQuietly(*socket);
}

bool OrbClient::fillPool(int count)
{
    clearPool();
    for (int i = 0; i < count; ++i) {
        if (!addConnection())
            return false;
    }
    return true;
}

std::size_t OrbClient::pooledCount() const
{
    std::lock_guard lock(m_mutex);
    return m_pool.size();
}

std::unique_ptr<CBlockingSocket> OrbClient::getPooledSocketClient()
{
    std::unique_ptr<CBlockingSocket> taken;
    std::vector<std::unique_ptr<CBlockingSocket>> dead;
    bool tookFromPool = false;
    {
        std::lock_guard lock(m_mutex);
        // The oldest first; one the server closed while it waited is dropped.
        while (!m_pool.empty() && !taken) {
            std::unique_ptr<CBlockingSocket> socket = std::move(m_pool.back());
            m_pool.pop_back();
            tookFromPool = true;
            if (socket->IsConnectionAlive())
                taken = std::move(socket);
            else
                dead.push_back(std::move(socket));
        }
    }
    for (auto &socket : dead)
        closeQuietly(*socket);
    if (tookFromPool && m_refill)
        startRefill();
    return taken ? std::move(taken) : openConnection();
}

void OrbClient::startRefill()
{
    std::lock_guard lock(m_workerMutex);
    if (m_stopping)
        return;
    if (!m_worker.joinable()) {
        try {
            m_worker = std::thread([this] { refillLoop(); });
        } catch (const std::system_error &) {
            return; // no thread to be had: calls connect afresh instead
        }
    }
    ++m_pendingRefills;
    m_workerWake.notify_one();
}

void OrbClient::refillLoop()
{
    std::unique_lock lock(m_workerMutex);
    for (;;) {
        m_workerWake.wait(lock, [this] { return m_stopping || m_pendingRefills > 0; });
        if (m_stopping)
            return;
        --m_pendingRefills;
        lock.unlock();
        try {
            addConnection(); // a failed refill only leaves the pool empty
        } catch (...) {
        }
        lock.lock();
    }
}

void OrbClient::stopRefillWorker()
{
    {
        std::lock_guard lock(m_workerMutex);
        m_stopping = true;
    }
    m_workerWake.notify_one();
    if (m_worker.joinable())
        m_worker.join();
}

std::string OrbClient::discover()
{
    Internal::DiscoveryRequest request;
    {
        std::lock_guard lock(m_mutex);
        request.fallbackPort = m_discoveryFallbackPort;
        request.receiveTimeout = m_timeouts.discoveryReceive;
        request.pause = m_timeouts.discoveryPause;
    }
    request.target = discoveryTarget();
    request.port = m_discoveryPort;
    return Internal::discoverServer(request);
}

bool OrbClient::reconnect()
{
    std::string answer = discover();
    // Without an answer the configured address is tried again, so that the
    // client finds its server once it is back.
    if (answer == "ERROR" || answer.empty())
        answer = m_configuredHost.str();
    {
        std::lock_guard lock(m_mutex);
        m_currentHost.assignTruncated(answer);
    }
    return fillPool(1);
}

MtxStatus &OrbClient::login(MtxStatus &result, const char *user, const char *password, const char *reserved,
                            MtxUserSession &session)
{
    MtxStatus status;
    if (m_shutdown) {
        status.setMessage("Server ShutDown");
        result = status;
        return result;
    }
    setClient(this);
    m_refill = true;
    if (!fillPool(1)) {
        status.set(MtxStatus::ClientExceptionCode, "InitConnectionPool error");
        result = status;
        return result;
    }
    // The dialog's texts travel as they are, cut to the 63 bytes of a name field.
    const FixedText<64> userText(user ? user : "");
    const FixedText<64> passwordText(password ? password : "");
    const MtxString userArg(userText.c_str());
    const MtxString passwordArg(passwordText.c_str());
    MtxRequest request("SysService", "login", {&userArg, &passwordArg});
    MtxReply reply(&status, &session);
    call(request, reply);
    // The session's fields are the caller's: the reply carries none.
    this->session() = session;
    result = status;
    return result;
}

MtxStatus &OrbClient::logoff(MtxStatus &result, MtxObj *argument)
{
    m_refill = false;
    MtxStatus status;
    MtxUserSession scratch;
    MtxRequest request("SysService", "logoff", {argument});
    MtxReply reply(&status, &scratch);
    call(request, reply);
    result = status;
    return result;
}

void OrbClient::setTimeouts(const Timeouts &timeouts)
{
    std::lock_guard lock(m_mutex);
    m_timeouts = timeouts;
}

OrbClient::Timeouts OrbClient::timeouts() const
{
    std::lock_guard lock(m_mutex);
    return m_timeouts;
}

void OrbClient::setDiscoveryTarget(std::string target)
{
    std::lock_guard lock(m_mutex);
    m_discoveryTarget = std::move(target);
}

std::string OrbClient::discoveryTarget() const
{
    if (const char *forced = std::getenv("KEELMON_DISCOVERY_TARGET"); forced != nullptr && *forced != '\0')
        return forced;
    std::lock_guard lock(m_mutex);
    return m_discoveryTarget;
}

void OrbClient::setDiscoveryFallbackPort(int port)
{
    std::lock_guard lock(m_mutex);
    m_discoveryFallbackPort = port;
}

void OrbClient::setShutdown(bool shutdown)
{
    m_shutdown = shutdown;
}

std::string OrbClient::getCurrentHost() const
{
    std::lock_guard lock(m_mutex);
    return m_currentHost.str();
}
