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
    // The report program's data channel; -1: not served, 0: any free port.
    int dataPort = -1;
    bool discovery = true;
    std::string listen = "127.0.0.1";
    std::string advertise; // discovery answer; empty: the address asked
    std::string database = "keelmon.db";
    bool demo = false;
    std::string adminPassword;
    serverlog::Level logLevel = serverlog::Level::Info;
    ConnectionLimits limits;
    std::size_t maxLogRows = 100000; // operation-log rows one query may return
    int historyDays = 0;             // days of monitor history kept; 0: all

    // The monitoring engine and its channels.
    // -1: the default port (8900, 8901), or a free one when that is taken.
    int probePort = -1;            // probe channel ("DT"/"DL" frames)
    int httpPort = -1;             // status endpoint (/health, /metrics)
    std::string httpListen = "127.0.0.1";
    std::string checkScope = "loopback"; // or "any"
    int checkThreads = 16;
    int checkTimeoutMs = 5000;
    int checkInterval = 60;        // seconds, for monitors without an "Interval" parameter
    std::string smtp;              // HOST:PORT of the alert mail server; empty: mail spool
    std::string spoolDir;          // default: "spool" beside the database
    std::string outboxDir;         // default: "outbox" beside the database
    std::string scriptDir;         // alert scripts; empty: none allowed

    // Several nodes on one PostgreSQL database.
    std::string node;              // this node's name; empty: host name and application port
    int leaseSeconds = 30;         // a dead node's monitors move to the others after this

    // Reads argv; false with a message (what is wrong and what to do) on a
    // bad option. help is set for --help.
    bool parse(const std::vector<std::string> &arguments, std::string &error, bool &help);
    static std::string usage();
};
