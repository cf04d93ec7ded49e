#include "server/engine/checks/checkscope.h"

#include <arpa/inet.h>
#include <netdb.h>

#include <cstring>

bool CheckScope::parse(const std::string &text, Mode &mode)
{
    if (text == "loopback")
        mode = Loopback;
    else if (text == "any")
        mode = Any;
    else
        return false;
    return true;
}

bool CheckScope::isLoopback(const in_addr &address)
{
    return (ntohl(address.s_addr) >> 24) == 127;
}

bool CheckScope::resolve(const std::string &host, int port, sockaddr_in &address, std::string &reason) const
{
    if (port < 0 || port > 65535) {
        reason = "port " + std::to_string(port) + " is out of range";
        return false;
    }
    std::memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_port = htons(std::uint16_t(port));
    if (host.empty()) {
        reason = "no host given";
        return false;
    }
    if (host == "localhost") {
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    } else if (::inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1) {
        if (m_mode == Loopback) {
            reason = "\"" + host + "\" is not a loopback address (--check-scope loopback resolves no names)";
            return false;
        }
        addrinfo hints{}, *found = nullptr;
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        int rc = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
        if (rc != 0 || !found) {
            reason = "cannot resolve \"" + host + "\": " + ::gai_strerror(rc);
            return false;
        }
        address.sin_addr = reinterpret_cast<sockaddr_in *>(found->ai_addr)->sin_addr;
        ::freeaddrinfo(found);
    }
    if (m_mode == Loopback && !isLoopback(address.sin_addr)) {
        reason = host + " lies outside 127.0.0.0/8, the only addresses --check-scope loopback allows";
        return false;
    }
    return true;
}
