#include "server/engine/monitoringserver.h"

#include <unistd.h>

#include <cstring>
#include <stdexcept>

#include "server/core/net/connectionserver.h"
#include "server/core/serverlog.h"
#include "server/engine/probeprotocol.h"
#include "server/engine/statusprotocol.h"
#include "server/pg/pgconnection.h"

namespace {

// Beside an SQLite file; in the working folder for a PostgreSQL database.
std::string besideDatabase(const std::string &database, const char *name)
{
    std::size_t slash = isPostgresLocation(database) ? std::string::npos : database.rfind('/');
    return (slash == std::string::npos ? std::string(".") : database.substr(0, slash)) + "/" + name;
}

// The side channels are small: a few workers, and a frame must arrive whole
// within the time-out of the connection opening.
ConnectionLimits sideChannelLimits(std::chrono::milliseconds timeout)
{
    ConnectionLimits limits;
    limits.maxRequestBytes = 64 * 1024;
    limits.requestTimeout = timeout;
    limits.idleTimeout = timeout;
    limits.writeTimeout = timeout;
    limits.maxConnections = 256;
    limits.workerThreads = 2;
    limits.queueCapacity = 64;
    return limits;
}

// Listens on the port asked for; without one, on the default port or, when
// that is taken (another server on this machine), on a free one.
void listen(ConnectionServer &server, const std::string &address, int port, int defaultPort)
{
    if (port >= 0) {
        server.start(address, port);
        return;
    }
    try {
        server.start(address, defaultPort);
    } catch (const std::runtime_error &) {
        server.start(address, 0);
        serverlog::warning("port " + std::to_string(defaultPort) + " is taken: listening on "
                           + std::to_string(server.port()) + " instead");
    }
}

// The host name and the application port, unique among the servers of a site.
std::string defaultNodeName(int port)
{
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) != 0 || !host[0])
        std::strcpy(host, "localhost");
    return std::string(host) + ":" + std::to_string(port);
}

} // namespace

MonitoringServer::MonitoringServer(ServerOptions options) : MonitoringServer(options, engineOptions(options)) {}

MonitoringServer::MonitoringServer(ServerOptions options, EngineOptions engine)
    : m_options(options), m_engineOptions(std::move(engine)), m_app(std::move(options))
{
}

MonitoringServer::~MonitoringServer()
{
    stop();
}

EngineOptions MonitoringServer::engineOptions(const ServerOptions &options)
{
    EngineOptions engine;
    CheckScope::parse(options.checkScope, engine.scope);
    engine.checkThreads = options.checkThreads;
    engine.checkTimeout = std::chrono::milliseconds(options.checkTimeoutMs);
    engine.defaultPeriod = std::chrono::seconds(options.checkInterval);
    DeliveryOptions &delivery = engine.delivery;
    if (!options.smtp.empty()) {
        std::size_t colon = options.smtp.rfind(':');
        delivery.smtpHost = options.smtp.substr(0, colon);
        delivery.smtpPort = std::atoi(options.smtp.c_str() + colon + 1);
    }
    delivery.spoolDir = options.spoolDir.empty() ? besideDatabase(options.database, "spool") : options.spoolDir;
    delivery.outboxDir = options.outboxDir.empty() ? besideDatabase(options.database, "outbox") : options.outboxDir;
    delivery.scriptDir = options.scriptDir;
    if (isPostgresLocation(options.database))
        engine.leases.database = options.database;
    engine.leases.node = options.node;
    engine.leases.leaseTime = std::chrono::seconds(options.leaseSeconds);
    return engine;
}

void MonitoringServer::start()
{
    for (auto [port, option] : {std::pair{m_options.probePort, "--probe-port"}, {m_options.httpPort, "--http-port"}})
        if (port > 0 && port == m_options.port)
            throw std::runtime_error(std::string(option) + " must differ from the application port --port "
                                     + std::to_string(m_options.port));
    m_app.start();
    if (m_engineOptions.leases.node.empty())
        m_engineOptions.leases.node = defaultNodeName(m_app.port());
    m_app.state().info().nodeName = m_engineOptions.leases.node;
    try {
        m_engine = std::make_unique<Engine>(m_app.state(), m_engineOptions);
        m_engine->start();
        m_probeProtocol = std::make_unique<ProbeProtocol>(m_app.state(), *m_engine);
        m_probe = std::make_unique<ConnectionServer>(*m_probeProtocol, sideChannelLimits(m_frameTimeout));
        listen(*m_probe, m_options.listen, m_options.probePort, 8900);
        m_statusProtocol = std::make_unique<StatusProtocol>(m_app.state(), *m_engine);
        m_status = std::make_unique<ConnectionServer>(*m_statusProtocol, sideChannelLimits(m_frameTimeout));
        listen(*m_status, m_options.httpListen, m_options.httpPort, 8901);
    } catch (const std::exception &failure) {
        std::string message = failure.what();
        stop();
        throw std::runtime_error(message + " (the probe channel and status endpoint take --probe-port and --http-port)");
    }
    serverlog::info("node " + m_engineOptions.leases.node + " runs " + std::to_string(m_engine->monitorsHeld())
                    + " monitors; probe channel on " + m_options.listen + ":" + std::to_string(probePort()) + ", status on http://"
                    + m_options.httpListen + ":" + std::to_string(httpPort()) + "/metrics, checks limited to "
                    + (m_engine->scope().mode() == CheckScope::Loopback ? "127.0.0.0/8" : "any address"));
}

void MonitoringServer::stop()
{
    if (m_status)
        m_status->stop();
    if (m_probe)
        m_probe->stop();
    if (m_engine)
        m_engine->stop();
    m_app.stop();
    m_status.reset();
    m_probe.reset();
}

int MonitoringServer::probePort() const
{
    return m_probe ? m_probe->port() : 0;
}

int MonitoringServer::httpPort() const
{
    return m_status ? m_status->port() : 0;
}
