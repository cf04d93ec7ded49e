#pragma once

#include <chrono>
#include <string>

#include "orb/wire/keelexport.h"

namespace Internal {

// Where and how long to look for the application server.
struct DiscoveryRequest
{
    std::string target;    // address the question is sent to
    int port = 0;          // first port asked
    int fallbackPort = 0;  // port asked after the sixth failed attempt
    std::chrono::milliseconds receiveTimeout{5000};
    std::chrono::milliseconds pause{10};
};

// The text the server answers to the discovery datagram, or "ERROR" when no
// usable answer came in ten attempts.
std::string discoverServer(const DiscoveryRequest &request);

// The 100 bytes of the discovery question.
std::string discoveryDatagram();

} // namespace Internal
