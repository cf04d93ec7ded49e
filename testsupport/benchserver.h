#pragma once

#include "testsupport/referenceserver.h"

// The reference server of the benchmarks: on loopback, without demo data,
// holding the bench inventory of Groups groups with DevicesPerGroup devices
// of MonitorsPerDevice monitors each (FillBenchInventory; 10,050 elements
// below the root). Log in as "admin" with ReferenceServer::AdminPassword.
class BenchServer
{
public:
    static constexpr int Groups = 50;
    static constexpr int DevicesPerGroup = 40;
    static constexpr int MonitorsPerDevice = 4;

    // Starts and fills the server; throws std::runtime_error when it does not start.
    BenchServer();

    int port() const { return m_server.port(); }
    AppServer &server() { return m_server.server(); }

private:
    ReferenceServer m_server{false};
};
