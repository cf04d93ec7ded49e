#pragma once

#include <netinet/in.h>

#include <string>

// Which addresses the engine may send checks to. Loopback keeps every check
// on this machine (127.0.0.0/8) and resolves no names but "localhost", so not
// even a resolver query leaves it; Any allows every IPv4 address.
class CheckScope
{
public:
    enum Mode { Loopback, Any };

    explicit CheckScope(Mode mode = Loopback) : m_mode(mode) {}
    Mode mode() const { return m_mode; }

    // Parses "loopback" or "any".
    static bool parse(const std::string &text, Mode &mode);

    // host (dotted IPv4, "localhost", or in scope Any a name) and port as an
    // address the engine may use; false with the reason otherwise.
    bool resolve(const std::string &host, int port, sockaddr_in &address, std::string &reason) const;

    static bool isLoopback(const in_addr &address);

private:
    Mode m_mode;
};
