#pragma once

#include <memory>

#include <gtest/gtest.h>

#include "server/core/appserver.h"
#include "testsupport/referenceserver.h"
#include "testsupport/tempfolder.h"
#include "testsupport/testclient.h"

// A fixture with the reference server in this process, started for each test
// (empty unless demo() says otherwise; options() may change limits) on a
// fresh database of the run's backend (see testdatabase.h), and a client
// logged in as admin on demand.
class ServerTest : public ::testing::Test
{
protected:
    static constexpr const char *AdminPassword = ReferenceServer::AdminPassword;

    void SetUp() override;
    void TearDown() override;

    virtual bool demo() const { return false; }
    virtual ServerOptions options() const;
    void startServer();
    void stopServer();
    void restartServer();

    // A client logged in as admin.
    TestClient &admin();
    std::unique_ptr<TestClient> newClient();

    TempFolder m_dir;
    std::string m_database;
    std::unique_ptr<AppServer> m_server;
    std::unique_ptr<TestClient> m_admin;
};
