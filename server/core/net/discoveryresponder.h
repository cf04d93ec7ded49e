#pragma once

#include <atomic>
#include <string>
#include <string_view>
#include <thread>

// Answers the clients' UDP discovery question ("DOMAIN_CTR,CHECK_APP_SERVER"
// in a 100-byte datagram) with the address, as text, on which the server
// takes requests.
class DiscoveryResponder
{
public:
    static constexpr std::string_view Question = "DOMAIN_CTR,CHECK_APP_SERVER";

    // answer is the text sent back; when empty, the local address at which
    // the question arrived is sent.
    explicit DiscoveryResponder(std::string answer);
    ~DiscoveryResponder();

    // Listens on address:port (port 0 picks one); throws std::runtime_error.
    void start(const std::string &address, int port);
    void stop();
    int port() const { return m_port; }
    std::uint64_t answered() const { return m_answered; }

private:
    void loop();

    std::string m_answer;
    int m_fd = -1;
    int m_wakeFd = -1;
    int m_port = 0;
    std::thread m_thread;
    std::atomic<std::uint64_t> m_answered{0};
};
