#include "testsupport/servertest.h"

#include "testsupport/testdatabase.h"

void ServerTest::SetUp()
{
    KEEL_REQUIRE_TEST_DATABASE();
    m_database = testdatabase::create(m_dir.path());
    startServer();
}

void ServerTest::TearDown()
{
    m_admin.reset();
    stopServer();
}

ServerOptions ServerTest::options() const
{
    ServerOptions options = ReferenceServer::loopbackOptions(m_dir.path(), demo());
    options.database = m_database;
    return options;
}

void ServerTest::startServer()
{
    m_server = std::make_unique<AppServer>(options());
    m_server->start();
}

void ServerTest::stopServer()
{
    if (m_server)
        m_server->stop();
    m_server.reset();
}

void ServerTest::restartServer()
{
    m_admin.reset();
    stopServer();
    startServer();
}

TestClient &ServerTest::admin()
{
    if (!m_admin) {
        m_admin = newClient();
        MtxStatus status = m_admin->login("admin", AdminPassword);
        EXPECT_TRUE(status.succeeded()) << messageOf(status);
    }
    return *m_admin;
}

std::unique_ptr<TestClient> ServerTest::newClient()
{
    return std::make_unique<TestClient>(m_server->port(), m_server->discoveryPort());
}
