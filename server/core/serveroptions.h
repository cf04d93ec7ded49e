#pragma once

#include <string>
#include <vector>

#include "server/core/net/connectionserver.h"
#include "server/core/serverlog.h"

// The command line of keelmon-server.
struct ServerOptions
{
    int port = 8899;
    int discoveryPort = 8899;
    bool discovery = true;
    std::string listen = "127.0.0.1";
    std::string advertise; // discovery answer; empty: the address asked
    std::string database = "keelmon.db";
    bool demo = false;
    std::string adminPassword;
    serverlog::Level logLevel = serverlog::Level::Info;
    ConnectionLimits limits;
    std::size_t maxLogRows = 100000; // operation-log rows one query may return

    // Reads argv; false with a message (what is wrong and what to do) on a
    // bad option. help is set for --help.
    bool parse(const std::vector<std::string> &arguments, std::string &error, bool &help);
    static std::string usage();
};
