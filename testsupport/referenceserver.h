#pragma once

#include <memory>
#include <string>

#include "server/core/appserver.h"
#include "testsupport/tempfolder.h"

// The reference application server in this process, for module and host
// tests: 127.0.0.1 on ephemeral ports (discovery and the report data channel
// answered there too), a database of its own (a file in a temporary folder,
// or a PostgreSQL database in the "_pg" runs), demo data unless told
// otherwise, and "admin" with AdminPassword.
class ReferenceServer
{
public:
    static constexpr const char *AdminPassword = "Adm1n-pw";

    // The options of such a server with its database in folder.
    static ServerOptions loopbackOptions(const std::string &folder, bool demo);

    explicit ReferenceServer(bool demo = true);
    ~ReferenceServer();

    // Starts (again after stop); false with the reason in error().
    bool start();
    // Stops and closes the database; the data stays for the next start.
    void stop();

    int port() const;
    int discoveryPort() const;
    // The report program's data channel.
    int dataPort() const;
    const std::string &error() const { return m_error; }
    // The running server (its state and storage); start() first.
    AppServer &server() { return *m_server; }

private:
    TempFolder m_folder;
    std::string m_database;
    bool m_demo;
    std::unique_ptr<AppServer> m_server;
    std::string m_error;
};
