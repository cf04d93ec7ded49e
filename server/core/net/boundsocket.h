#pragma once

#include <string>

// Opening the server's sockets: both the TCP listener and the discovery
// responder resolve an IPv4 address, bind a socket to it and learn the port
// that was bound (port 0 picks a free one).
namespace boundsocket {

struct Result
{
    int fd = -1;           // the bound socket, or -1
    bool resolved = false; // false: the address did not resolve
    std::string reason;    // why it failed: the resolver's or the system's message
};

// A socket of type (SOCK_STREAM or SOCK_DGRAM) with SO_REUSEADDR, bound to
// address:port.
Result bind(int type, const std::string &address, int port);

// The local port a bound socket has.
int localPort(int fd);

} // namespace boundsocket
