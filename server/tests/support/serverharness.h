#pragma once

#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "orb/net/orbclient.h"
#include "orb/wire/mtxstatus.h"
#include "server/core/appserver.h"

// A temporary folder removed with everything in it.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    const std::string &path() const { return m_path; }
    std::string file(const std::string &name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// A client of the runtime, logged in or not, with a service object per
// service name; every call goes through the real pool and wire code.
class TestClient
{
public:
    TestClient(int port, int discoveryPort);
    ~TestClient();

    MtxStatus login(const std::string &user, const std::string &password);
    // Sets the session user without logging in (the server checks the name).
    void actAs(const std::string &user);

    MtxStatus call(const char *service, const char *method, std::initializer_list<const MtxObj *> args,
                   MtxObj *response = nullptr);
    // Arguments given as texts, each sent as an MtxString.
    MtxStatus callText(const char *service, const char *method, const std::vector<std::string> &args,
                       MtxObj *response = nullptr);

    OrbClient &client() { return m_client; }

private:
    OrbClient m_client;
    MtxUserSession m_session;
    std::map<std::string, std::unique_ptr<OrbService>> m_services;
};

// An in-process server on an ephemeral loopback port, with its own database.
class ServerTest : public ::testing::Test
{
protected:
    static constexpr const char *AdminPassword = "Adm1n-pw";

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

    TempDir m_dir;
    std::unique_ptr<AppServer> m_server;
    std::unique_ptr<TestClient> m_admin;
};

// Text in UTF-8 as the code page text the wire objects hold.
std::string local(const char *utf8);
// An exception's message in UTF-8, for readable comparisons.
std::string messageOf(const MtxStatus &status);

// Sends raw bytes on one connection to 127.0.0.1:port and collects what comes
// back until the server closes (or timeoutMs passes).
std::string exchange(int port, const std::string &bytes, int timeoutMs = 5000);
