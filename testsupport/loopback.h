#pragma once

#include <string>

// Plain sockets on 127.0.0.1 for tests: nothing here reaches another address.

// A socket bound to 127.0.0.1 on an ephemeral port (SOCK_STREAM or
// SOCK_DGRAM); its port in port. Throws std::runtime_error when it cannot.
int bindLoopback(int type, int &port);

// A port nothing listens on now: bound to 127.0.0.1:0, then released.
int freeLoopbackPort();

// A connected TCP socket to 127.0.0.1:port, or -1.
int connectLoopback(int port);

// True when something accepts connections on 127.0.0.1:port.
bool acceptsOnLoopback(int port);

// Sends bytes on one connection to 127.0.0.1:port and collects what comes
// back until the server closes (or timeoutMs passes).
std::string exchangeOnLoopback(int port, const std::string &bytes, int timeoutMs = 5000);
