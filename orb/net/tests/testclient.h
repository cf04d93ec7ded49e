#pragma once

#include <memory>

#include "testsupport/fakeserver.h"
#include "orb/net/orbclient.h"

namespace testing_support {

// Time-outs short enough that a stalled test fails in about a second.
inline OrbClient::Timeouts fastTimeouts()
{
    using namespace std::chrono_literals;
    OrbClient::Timeouts timeouts;
    timeouts.connect = 1s;
    timeouts.send = 1s;
    timeouts.receive = 1s;
    timeouts.discoveryReceive = 20ms;
    timeouts.discoveryPause = 1ms;
    return timeouts;
}

// A client for a loopback server whose discovery goes to loopback responders
// (silent unless a test says otherwise).
struct TestClient
{
    explicit TestClient(int serverPort, std::string discoveryAnswer = {})
        : discovery(std::move(discoveryAnswer)),
          client(std::make_unique<OrbClient>("127.0.0.1", serverPort, discovery.port()))
    {
        client->setTimeouts(fastTimeouts());
        client->setDiscoveryTarget("127.0.0.1");
        client->setDiscoveryFallbackPort(fallback.port());
        client->setClient(client.get());
    }

    FakeUdpResponder discovery;
    FakeUdpResponder fallback;
    std::unique_ptr<OrbClient> client;
};

} // namespace testing_support
