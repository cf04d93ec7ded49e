#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Loopback stand-ins for the application server: a TCP server that runs a
// scripted behaviour on every connection, and a UDP responder for discovery.
namespace testing_support {

// One accepted connection as the behaviour sees it.
class FakeTcpServer;

class Peer
{
public:
    Peer(int socket, FakeTcpServer &server) : m_socket(socket), m_server(server) {}
    // Reads until the framed request ends ("\r\n\r\n\r\n") or the client
    // closes; the bytes read, possibly empty.
    std::string readRequest();
    // Sends bytes with one send() per piece and a short pause between pieces,
    // so that the client receives them one by one.
    void sendPieces(const std::string &bytes, const std::vector<std::size_t> &pieceSizes);
    void send(const std::string &bytes);
    // Waits (bounded) until the client closes its end.
    void waitForClientClose();

private:
    int m_socket;
    FakeTcpServer &m_server;
};

class FakeTcpServer
{
public:
    using Behaviour = std::function<void(Peer &peer)>;

    // Binds 127.0.0.1 on an ephemeral port; listens at once unless told not
    // to (a bound socket that does not listen refuses connections).
    explicit FakeTcpServer(Behaviour behaviour, bool listenNow = true);
    ~FakeTcpServer();

    void startListening();
    int port() const { return m_port; }
    // Every request read by readRequest, in arrival order.
    std::vector<std::string> requests() const;
    int connectionsAccepted() const { return m_accepted; }
    // Connections whose behaviour still runs.
    std::size_t openConnections() const;
    // Shuts down every open connection from the server side.
    void dropConnections();
    void setBehaviour(Behaviour behaviour);

private:
    friend class Peer;
    void acceptLoop();
    void record(std::string request);

    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::atomic<int> m_accepted{0};
    mutable std::mutex m_mutex;
    Behaviour m_behaviour;
    std::vector<std::string> m_requests;
    std::vector<int> m_open;
    std::vector<std::thread> m_handlers;
    std::thread m_acceptThread;
};

// Answers every discovery datagram with a fixed text (or stays silent when
// the text is empty) and counts what it received.
class FakeUdpResponder
{
public:
    explicit FakeUdpResponder(std::string answer = {});
    ~FakeUdpResponder();

    int port() const { return m_port; }
    int received() const { return m_received; }
    std::vector<std::string> datagrams() const;
    // Waits (bounded) until at least count datagrams came in.
    bool waitForDatagrams(int count) const;

private:
    void loop();

    int m_socket = -1;
    int m_port = 0;
    std::string m_answer;
    std::atomic<bool> m_stopping{false};
    std::atomic<int> m_received{0};
    mutable std::mutex m_mutex;
    std::vector<std::string> m_datagrams;
    std::thread m_thread;
};

// A reply with a filler child that readers skip, padded to exactly
// totalLength bytes (when that is long enough); response goes into
// "response".
std::string paddedReply(std::size_t totalLength, const std::string &response);
// "<pro-rep>...<response>TEXT</response></pro-rep>"
std::string stringReply(const std::string &method, const std::string &text);
// The method-name of a framed request, or empty.
std::string methodOf(const std::string &request);
// The session-iD of a framed request.
std::string sessionOf(const std::string &request);

} // namespace testing_support
