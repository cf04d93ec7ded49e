#pragma once

#include <atomic>
#include <string>
#include <thread>

// A single-threaded loopback server for benchmarks: every connection gets the
// same reply once its framed request has arrived, then is closed. Idle
// connections (opened ahead by a pool) cost it nothing.
class LoopbackServer
{
public:
    explicit LoopbackServer(std::string reply);
    ~LoopbackServer();

    int port() const { return m_port; }

private:
    void loop();

    std::string m_reply;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;
};
