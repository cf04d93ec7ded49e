#pragma once

#include <memory>

#include "server/core/serveroptions.h"
#include "server/core/setup/bootstrap.h"

class ConnectionServer;
class DataProtocol;
class DiscoveryResponder;
class Dispatcher;
class HistoryRetention;
class ServerState;
class Storage;

// The application server put together: storage, dispatcher, the request
// listener and the discovery responder. Tests run it in-process on an
// ephemeral loopback port; keelmon-server's main only wires it to the
// command line and the signals.
class AppServer
{
public:
    explicit AppServer(ServerOptions options);
    ~AppServer();

    // Opens (or creates) the database, fills a new one, starts listening.
    // Throws std::runtime_error with a message that says what to do.
    void start();
    // Stops accepting, answers the requests in hand, closes the database.
    void stop();

    int port() const;
    int discoveryPort() const;
    // The data channel's port, 0 when it is not served.
    int dataPort() const;
    ServerState &state();
    Storage &storage();
    const setup::BootstrapResult &bootstrapResult() const { return m_bootstrap; }
    const ServerOptions &options() const { return m_options; }

private:
    class Protocol;

    ServerOptions m_options;
    std::unique_ptr<Storage> m_storage;
    std::unique_ptr<ServerState> m_state;
    std::unique_ptr<Dispatcher> m_dispatcher;
    std::unique_ptr<Protocol> m_protocol;
    std::unique_ptr<ConnectionServer> m_connections;
    std::unique_ptr<DiscoveryResponder> m_discovery;
    std::unique_ptr<DataProtocol> m_dataProtocol;
    std::unique_ptr<ConnectionServer> m_dataConnections;
    std::unique_ptr<HistoryRetention> m_retention;
    setup::BootstrapResult m_bootstrap;
    bool m_running = false;
};
