#pragma once

#include "server/core/net/connectionserver.h"

class Engine;
class ServerState;

// The probe channel: "DT" (run a monitor now) and "DL" (a dynamic list of a
// device) frames, one per connection, answered with a reply ending "</end>".
class ProbeProtocol : public RequestProtocol
{
public:
    ProbeProtocol(ServerState &server, Engine &engine) : m_server(server), m_engine(engine) {}

    requestreader::Frame frame(std::string_view received, std::size_t checked) override;
    std::string handle(std::string_view request, const std::string &peer) override;
    std::string refuse(Problem problem) override;

    // "<return>fail$REASON</end>", the reason cleaned of "$" and line breaks.
    static std::string failure(std::string reason);
    static constexpr std::string_view Success = "<return>succeed</end>";

private:
    std::string test(const std::vector<std::string_view> &fields);
    std::string list(const std::vector<std::string_view> &fields);

    ServerState &m_server;
    Engine &m_engine;
};
