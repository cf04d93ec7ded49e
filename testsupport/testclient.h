#pragma once

#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "orb/net/orbclient.h"
#include "orb/wire/mtxstatus.h"

// A client of the runtime for a loopback server, logged in or not, with a
// service object per service name; every call goes through the real pool and
// wire code. Service objects made here are plain OrbService objects: give a
// response its factory where its items matter.
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
    // Arguments given as texts (at most three), each sent as an MtxString.
    MtxStatus callText(const char *service, const char *method, const std::vector<std::string> &args,
                       MtxObj *response = nullptr);

    OrbClient &client() { return m_client; }
    const MtxUserSession &session() const { return m_session; }

private:
    OrbClient m_client;
    MtxUserSession m_session;
    std::map<std::string, std::unique_ptr<OrbService>> m_services;
};

// Text in UTF-8 as the code page text the wire objects hold.
std::string local(const char *utf8);
// A status as "CODE message", the message in UTF-8, for readable comparisons.
std::string messageOf(const MtxStatus &status);
