#pragma once

#include <memory>

#include "server/core/appserver.h"
#include "server/engine/engine.h"

class ConnectionServer;
class ProbeProtocol;
class StatusProtocol;

// The whole reference server: the application server, the monitoring engine
// behind it, the probe channel and the HTTP status endpoint.
class MonitoringServer
{
public:
    explicit MonitoringServer(ServerOptions options);
    ~MonitoringServer();

    // Throws std::runtime_error with a message that says what to do.
    void start();
    void stop();

    AppServer &app() { return m_app; }
    Engine &engine() { return *m_engine; }
    int probePort() const;
    int httpPort() const;

    // The engine's settings from the command line (folders default to
    // beside the database).
    static EngineOptions engineOptions(const ServerOptions &options);

private:
    ServerOptions m_options;
    AppServer m_app;
    std::unique_ptr<Engine> m_engine;
    std::unique_ptr<ProbeProtocol> m_probeProtocol;
    std::unique_ptr<StatusProtocol> m_statusProtocol;
    std::unique_ptr<ConnectionServer> m_probe;
    std::unique_ptr<ConnectionServer> m_status;
};
