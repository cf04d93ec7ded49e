#pragma once

#include "server/core/net/connectionserver.h"

class ServerState;

// The report program's data channel: "DR" frames (two letters, four digits
// of payload length, the payload) carrying "GetReport" or "DeleteReport",
// answered with text ending "</end>". Frames are read by their length; one
// announcing more than MaxPayload bytes is refused before it is read.
class DataProtocol : public RequestProtocol
{
public:
    static constexpr std::size_t MaxPayload = 1018;

    explicit DataProtocol(ServerState &server) : m_server(server) {}

    requestreader::Frame frame(std::string_view received, std::size_t checked) override;
    std::string handle(std::string_view request, const std::string &peer) override;
    std::string refuse(Problem problem) override;

    // The limits of a data connection: one short request, a reply that may
    // be large.
    static ConnectionLimits limits(const ConnectionLimits &base);

private:
    ServerState &m_server;
};
