#pragma once

#include "server/core/net/connectionserver.h"

class Engine;
class ServerState;

// The server's own HTTP status endpoint: "/health" and "/metrics" (the
// Prometheus text format), one GET per connection.
class StatusProtocol : public RequestProtocol
{
public:
    StatusProtocol(ServerState &server, Engine &engine) : m_server(server), m_engine(engine) {}

    requestreader::Frame frame(std::string_view received, std::size_t checked) override;
    std::string handle(std::string_view request, const std::string &peer) override;
    std::string refuse(Problem problem) override;

    std::string metrics() const;

private:
    ServerState &m_server;
    Engine &m_engine;
};
