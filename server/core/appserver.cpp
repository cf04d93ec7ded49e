#include "server/core/appserver.h"

#include <ctime>
#include <stdexcept>

#include "server/core/dataprotocol.h"
#include "server/core/dispatcher.h"
#include "server/core/historyretention.h"
#include "server/core/net/connectionserver.h"
#include "server/core/net/discoveryresponder.h"
#include "server/core/net/filelimit.h"
#include "server/core/refusal.h"
#include "server/core/schema.h"
#include "server/core/serverstate.h"
#include "server/pg/pgconnection.h"
#include "server/storage/storagefor.h"
#include "services/types/tablefactory.h"

class AppServer::Protocol : public RequestProtocol
{
public:
    explicit Protocol(Dispatcher &dispatcher) : m_dispatcher(dispatcher) {}

    requestreader::Frame frame(std::string_view received, std::size_t checked) override
    {
        return requestreader::frame(received, checked);
    }
    std::string handle(std::string_view request, const std::string &peer) override
    {
        return m_dispatcher.handle(request, peer);
    }
    std::string refuse(Problem problem) override
    {
        switch (problem) {
        case Problem::TooLarge:
            return Dispatcher::refuse(refusal::BadRequest, "请求超过4MB，服务器拒绝处理");
        case Problem::TimedOut:
            return Dispatcher::refuse(refusal::BadRequest, "请求发送超时，请重试");
        case Problem::Malformed:
            return Dispatcher::refuse(refusal::BadRequest, "请求格式错误，无法解析");
        case Problem::Busy:
            break;
        }
        return Dispatcher::refuse(refusal::Busy, "服务器忙，请稍后重试");
    }

private:
    Dispatcher &m_dispatcher;
};

AppServer::AppServer(ServerOptions options) : m_options(std::move(options)) {}

AppServer::~AppServer()
{
    stop();
}

void AppServer::start()
{
    serverlog::setLevel(m_options.logLevel);
    // Each connection holds a file descriptor: the limit is raised as far as
    // allowed, and the connections kept below it so that accept never fails.
    const std::size_t files = filelimit::raise();
    const std::size_t fit = filelimit::connectionsWithin(files);
    if (m_options.limits.maxConnections > fit) {
        serverlog::warning("--max-connections " + std::to_string(m_options.limits.maxConnections) + " lowered to "
                           + std::to_string(fit) + ": the process may open " + std::to_string(files)
                           + " files (raise it with ulimit -n)");
        m_options.limits.maxConnections = fit;
    }
    m_storage = storageFor(m_options.database, domainFactory());
    try {
        m_storage->open(schema::all());
        m_bootstrap = setup::bootstrap(*m_storage, m_options.adminPassword);
        if (m_options.historyDays > 0) {
            m_retention = std::make_unique<HistoryRetention>(*m_storage, m_options.historyDays);
            m_retention->start();
        }
    } catch (const StorageError &failure) {
        throw std::runtime_error(failure.what());
    }
    if (m_options.demo) {
        setup::DemoPorts ports;
        if (m_options.port > 0)
            ports.app = m_options.port;
        if (m_options.httpPort > 0)
            ports.http = m_options.httpPort;
        if (setup::addDemoData(*m_storage, ports)) {
            serverlog::info("demo inventory added (user \"operator\", password \"operator\")");
            const std::size_t rows = setup::addDemoHistory(*m_storage, std::time(nullptr));
            serverlog::info("demo history added: " + std::to_string(rows) + " check results of the last 24 hours");
        } else {
            serverlog::info("--demo ignored: the inventory is not empty");
        }
    }

    ServerInfo info;
    info.listenAddress = m_options.listen;
    info.workerThreads = m_options.limits.workerThreads;
    info.databasePath = m_storage->info().location; // a connection string without its password
    info.sharedDatabase = isPostgresLocation(m_options.database);
    info.maxLogRows = m_options.maxLogRows;
    m_state = std::make_unique<ServerState>(*m_storage, info);
    if (const int ended = m_state->sessions().endOrphaned())
        serverlog::info(std::to_string(ended) + " sessions of users that no longer exist ended");
    m_dispatcher = std::make_unique<Dispatcher>(*m_state, domainFactory());
    m_protocol = std::make_unique<Protocol>(*m_dispatcher);
    m_connections = std::make_unique<ConnectionServer>(*m_protocol, m_options.limits);
    m_connections->start(m_options.listen, m_options.port);
    m_state->info().port = m_connections->port();
    m_state->setConnectionStatsSource([this] { return m_connections->stats(); });
    if (m_options.dataPort >= 0) {
        m_dataProtocol = std::make_unique<DataProtocol>(*m_state);
        m_dataConnections = std::make_unique<ConnectionServer>(*m_dataProtocol, DataProtocol::limits(m_options.limits));
        try {
            m_dataConnections->start(m_options.listen, m_options.dataPort);
        } catch (const std::runtime_error &) {
            m_connections->stop();
            throw;
        }
    }
    if (m_options.discovery) {
        m_discovery = std::make_unique<DiscoveryResponder>(m_options.advertise);
        try {
            m_discovery->start(m_options.listen, m_options.discoveryPort);
            m_state->info().discoveryPort = m_discovery->port();
        } catch (const std::runtime_error &failure) {
            m_connections->stop();
            if (m_dataConnections)
                m_dataConnections->stop();
            throw;
        }
    }
    m_running = true;
    serverlog::info("keelmon-server listening on " + m_options.listen + ":" + std::to_string(port())
                    + (m_discovery ? ", discovery on UDP " + std::to_string(discoveryPort()) : std::string())
                    + (m_dataConnections ? ", data channel on " + std::to_string(dataPort()) : std::string())
                    + ", database " + m_state->info().databasePath);
}

void AppServer::stop()
{
    if (!m_running)
        return;
    m_running = false;
    if (m_discovery)
        m_discovery->stop();
    m_connections->stop();
    if (m_dataConnections)
        m_dataConnections->stop();
    if (m_retention)
        m_retention->stop();
    m_storage->close();
    serverlog::info("keelmon-server stopped; database closed");
}

int AppServer::port() const
{
    return m_connections ? m_connections->port() : 0;
}

int AppServer::dataPort() const
{
    return m_dataConnections ? m_dataConnections->port() : 0;
}

int AppServer::discoveryPort() const
{
    return m_discovery ? m_discovery->port() : 0;
}

ServerState &AppServer::state()
{
    return *m_state;
}

Storage &AppServer::storage()
{
    return *m_storage;
}
