#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

#include "server/core/requestreader.h"
#include "server/core/serverstate.h"
#include "server/core/net/workerpool.h"

// What the connection layer asks of the protocol it carries.
class RequestProtocol
{
public:
    enum class Problem { TooLarge, TimedOut, Malformed, Busy };

    virtual ~RequestProtocol();
    virtual requestreader::Frame frame(std::string_view received, std::size_t checked) = 0;
    // The reply text to a complete request from the peer address (the
    // client's IP address as text).
    virtual std::string handle(std::string_view request, const std::string &peer) = 0;
    // The reply text to a request that will not be served.
    virtual std::string refuse(Problem problem) = 0;
};

struct ConnectionLimits
{
    std::size_t maxRequestBytes = std::size_t(4) << 20;
    // From the first byte of a request to its last.
    std::chrono::milliseconds requestTimeout{30000};
    // A connection on which nothing arrives: the client's pool opens one ahead
    // of need and may leave it unused for 45 minutes.
    std::chrono::milliseconds idleTimeout{std::chrono::hours(2)};
    // A reply the client does not take within this is dropped; the event
    // loop waits for it, no worker does.
    std::chrono::milliseconds writeTimeout{30000};
    std::size_t maxConnections = 4096;
    // Buffer space all unfinished requests may hold together; beyond it the
    // connections holding most are refused as busy.
    std::size_t incompleteBudget = std::size_t(192) << 20;
    // After running out of file descriptors, accepting pauses this long.
    std::chrono::milliseconds acceptPause{100};
    // Workers mostly wait for the disk (a synced commit), not the CPU, so
    // there are more of them than cores: reads then do not queue behind syncs.
    int workerThreads = 8;
    std::size_t queueCapacity = 512;
};

// Accepts TCP connections and serves one request on each. One thread watches
// every open connection with epoll and gathers request bytes, so connections
// that wait (idle pool connections, slow senders) hold no worker; a complete
// request goes to the worker pool. The worker sends what the socket takes at
// once and hands the rest of the reply back to the event loop, so a client
// that does not read holds no worker either.
class ConnectionServer
{
public:
    ConnectionServer(RequestProtocol &protocol, ConnectionLimits limits);
    ~ConnectionServer();
    ConnectionServer(const ConnectionServer &) = delete;
    ConnectionServer &operator=(const ConnectionServer &) = delete;

    // Listens on address:port (port 0 picks a free one); throws
    // std::runtime_error saying what failed.
    void start(const std::string &address, int port);
    int port() const { return m_port; }
    // Stops accepting, closes waiting connections, finishes the requests in
    // hand, then returns.
    void stop();

    ConnectionStats stats() const;

private:
    using Clock = std::chrono::steady_clock;
    struct Connection;

    struct Unsent
    {
        int fd;
        std::string reply;
        std::size_t sent; // bytes of reply already sent (kept, not erased: a reply may be large)
    };

    void loop();
    int waitMilliseconds(Clock::time_point nextSweep) const;
    void acceptAll();
    void pauseAccepting();
    void resumeAccepting();
    void readFrom(Connection &connection);
    void writeTo(Connection &connection);
    void takeUnsent();
    void shedOverBudget();
    void sweep();
    void watch(std::unique_ptr<Connection> connection, std::uint32_t events);
    std::unique_ptr<Connection> forget(int fd);
    void close(int fd);
    void refuseAndClose(int fd, RequestProtocol::Problem problem);
    void refuseNew(int fd);
    void dispatch(int fd);
    void serve(int fd, const std::string &request);
    bool makeRoom();

    RequestProtocol &m_protocol;
    const ConnectionLimits m_limits;
    int m_listenFd = -1;
    int m_epollFd = -1;
    int m_wakeFd = -1;    // stop
    int m_unsentFd = -1;  // a worker handed back a reply
    int m_port = 0;
    std::thread m_thread;
    std::unique_ptr<WorkerPool> m_pool;
    std::unordered_map<int, std::unique_ptr<Connection>> m_connections; // loop thread only
    std::size_t m_incompleteBytes = 0;                                   // loop thread only
    Clock::time_point m_acceptPausedUntil{};                             // loop thread only
    bool m_acceptPaused = false;                                         // loop thread only
    std::mutex m_unsentLock;
    std::vector<Unsent> m_unsent;
    std::atomic<bool> m_stopped{false};
    std::atomic<bool> m_workersDone{false};

    std::atomic<std::uint64_t> m_accepted{0};
    std::atomic<std::uint64_t> m_open{0};
    std::atomic<std::uint64_t> m_waiting{0};
    std::atomic<std::uint64_t> m_busy{0};
    std::atomic<std::uint64_t> m_timedOut{0};
    std::atomic<std::uint64_t> m_oversized{0};
    std::atomic<std::uint64_t> m_malformed{0};
    std::atomic<std::uint64_t> m_evicted{0};
};
