#include "testsupport/referenceserver.h"

#include <stdexcept>

#include "testsupport/testdatabase.h"

ServerOptions ReferenceServer::loopbackOptions(const std::string &folder, bool demo)
{
    ServerOptions options;
    options.port = 0;
    options.discoveryPort = 0;
    options.dataPort = 0;
    options.listen = "127.0.0.1";
    options.database = folder + "/keelmon.db";
    options.adminPassword = AdminPassword;
    options.demo = demo;
    options.logLevel = serverlog::Level::Error;
    return options;
}

ReferenceServer::ReferenceServer(bool demo) : m_demo(demo) {}

ReferenceServer::~ReferenceServer()
{
    stop();
}

bool ReferenceServer::start()
{
    stop();
    m_error.clear();
    ServerOptions options = loopbackOptions(m_folder.path(), m_demo);
    try {
        if (m_database.empty())
            m_database = testdatabase::create(m_folder.path());
        options.database = m_database;
        m_server = std::make_unique<AppServer>(options);
        m_server->start();
        return true;
    } catch (const std::exception &error) {
        m_error = std::string("the reference server did not start: ") + error.what();
        m_server.reset();
        return false;
    }
}

void ReferenceServer::stop()
{
    if (m_server)
        m_server->stop();
    m_server.reset();
}

int ReferenceServer::port() const
{
    return m_server ? m_server->port() : 0;
}

int ReferenceServer::discoveryPort() const
{
    return m_server ? m_server->discoveryPort() : 0;
}

int ReferenceServer::dataPort() const
{
    return m_server ? m_server->dataPort() : 0;
}
