#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "orb/net/blockingsocket.h"
#include "orb/net/orbservice.h"

// The one link to the application server, and the service object for
// "SysService". It keeps a small pool of connections opened ahead of need
// (a worker thread opens the next one whenever a call takes one), finds the
// server by UDP discovery when its address fails, and holds the session of
// the logged-in user.
class KEEL_EXPORT OrbClient : public OrbService
{
public:
    // How long each blocking step may take. Connect bounds each of the three
    // connection attempts.
    struct Timeouts
    {
        std::chrono::milliseconds connect{5000};
        std::chrono::milliseconds send{5000};
        std::chrono::milliseconds receive{10000};
        std::chrono::milliseconds discoveryReceive{5000};
        std::chrono::milliseconds discoveryPause{10};
        // The whole of one call, discovery included, however the server
        // trickles its bytes.
        std::chrono::milliseconds call{60000};
    };

    static constexpr const char *DefaultDiscoveryTarget = "255.255.255.255";
    static constexpr int DefaultDiscoveryFallbackPort = 6068;

    // An empty host means "localhost".
    OrbClient(const char *host, int port, int discoveryPort);
    // Waits for the refill workers, then closes the pooled connections.
    ~OrbClient() override;

    // reserved is accepted for the host's sake and neither sent nor read.
    MtxStatus &login(MtxStatus &result, const char *user, const char *password, const char *reserved,
                     MtxUserSession &session);
    // Stops preparing connections ahead, then tells the server.
    MtxStatus &logoff(MtxStatus &result, MtxObj *argument);

    // A connected socket that the caller now owns (and closes), or null when
    // none can be made. A pooled connection that went dead while it waited is
    // replaced by a fresh one.
    std::unique_ptr<CBlockingSocket> getPooledSocketClient();
    // Discovers the server, then rebuilds the pool with one connection.
    bool reconnect();
    // The discovery answer, or "ERROR".
    std::string discover();
    // Empties the pool, then opens count connections into it.
    bool fillPool(int count);
    void clearPool();
    std::size_t pooledCount() const;

    void setTimeouts(const Timeouts &timeouts);
    Timeouts timeouts() const;
    // KEELMON_DISCOVERY_TARGET, when set, wins over this for the whole process.
    void setDiscoveryTarget(std::string target);
    std::string discoveryTarget() const;
    void setDiscoveryFallbackPort(int port);
    // While shut down, login is refused.
    void setShutdown(bool shutdown);

    std::string getCurrentHost() const;
    const char *getConfiguredHost() const { return m_configuredHost.c_str(); }
    int getPort() const { return m_port; }
    int getDiscoveryPort() const { return m_discoveryPort; }
    bool isRefillEnabled() const { return m_refill; }

private:
    std::unique_ptr<CBlockingSocket> openConnection();
    bool addConnection();
    // Asks the refill worker for one more connection, starting it if needed.
    void startRefill();
    void refillLoop();
    void stopRefillWorker();

    const int m_port;
    const FixedText<128> m_configuredHost;
    const int m_discoveryPort;
    std::atomic<bool> m_shutdown{false};
    std::atomic<bool> m_refill{true};

    // Guards the pool, the current host and the settings below.
    mutable std::mutex m_mutex;
    std::deque<std::unique_ptr<CBlockingSocket>> m_pool; // newest at the front
    FixedText<128> m_currentHost;
    Timeouts m_timeouts;
    std::string m_discoveryTarget = DefaultDiscoveryTarget;
    int m_discoveryFallbackPort = DefaultDiscoveryFallbackPort;

    // One worker opens the connections that calls asked for, one at a time;
    // it lives from the first request until the client is destroyed.
    std::mutex m_workerMutex;
    std::condition_variable m_workerWake;
    int m_pendingRefills = 0;
    bool m_stopping = false;
    std::thread m_worker;
};
