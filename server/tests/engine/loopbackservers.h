#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Small servers on 127.0.0.1 that the checks and alert deliveries talk to in
// the tests: each runs one thread until destroyed.

// Accepts TCP connections and hands each to a handler on the server's thread.
class LoopbackTcpServer
{
public:
    using Handler = std::function<void(int fd)>;
    explicit LoopbackTcpServer(Handler handler);
    ~LoopbackTcpServer();
    int port() const { return m_port; }

    // Answers every request with this HTTP status.
    static Handler http(int status);
    // Reads and never answers.
    static Handler silent();

private:
    Handler m_handler;
    int m_fd = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// An SMTP sink: takes every message and keeps its DATA text.
class SmtpSink
{
public:
    SmtpSink();
    int port() const { return m_server.port(); }
    std::vector<std::string> messages() const;

private:
    mutable std::mutex m_lock;
    std::vector<std::string> m_messages;
    LoopbackTcpServer m_server;
};

// A DNS responder over UDP: answers A queries for one name with one address
// and refuses every other name.
class LoopbackDns
{
public:
    LoopbackDns(std::string name, std::string address);
    ~LoopbackDns();
    int port() const { return m_port; }

private:
    std::string m_name;
    std::string m_address;
    int m_fd = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// A port on 127.0.0.1 that nothing listens on (bound then closed).
int closedPort();

// A socket of type bound to 127.0.0.1 on a free port, which is set.
int boundLoopback(int type, int &port);

// Options of an in-process server on free loopback ports with its database
// at path, logging errors only.
struct ServerOptions;
ServerOptions loopbackServerOptions(const std::string &database);
