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
    // With the engine's settings given apart (tests: no schedule, short time-outs).
    MonitoringServer(ServerOptions options, EngineOptions engine);
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

    // How long a probe or status request may take to arrive (10 s).
    void setFrameTimeout(std::chrono::milliseconds timeout) { m_frameTimeout = timeout; }

private:
    ServerOptions m_options;
    EngineOptions m_engineOptions;
    std::chrono::milliseconds m_frameTimeout{10000};
    AppServer m_app;
    std::unique_ptr<Engine> m_engine;
    std::unique_ptr<ProbeProtocol> m_probeProtocol;
    std::unique_ptr<StatusProtocol> m_statusProtocol;
    std::unique_ptr<ConnectionServer> m_probe;
    std::unique_ptr<ConnectionServer> m_status;
};
