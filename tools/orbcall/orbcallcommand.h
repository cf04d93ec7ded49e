#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

// orbcall: sends one request to an application server and prints the outcome.
namespace orbcall {

enum ExitStatus {
    Success = 0,
    ServerException = 1,
    ClientFailure = 2,
    BadUsage = 64,
};

struct Options
{
    std::string host = "127.0.0.1";
    int port = 8899;
    int discoveryPort = 8899;
    std::string discoveryTarget; // empty: the client's default
    std::optional<double> timeoutSeconds;
    std::optional<std::string> user;
    std::optional<std::string> password;
    std::string responseType; // empty: print the response element as received
    bool showRequest = false;
    bool help = false;
    std::string service;
    std::string method;
    std::vector<std::string> args;
};

// Parses the command line (without the program name); an empty error means
// success.
Options parseOptions(const std::vector<std::string> &arguments, std::string &error);

const char *usage();

// Runs the tool: the response XML on out, "status: CODE MESSAGE" and any
// diagnostics on err. Service libraries are looked for in libraryFolder.
int run(const std::vector<std::string> &arguments, std::ostream &out, std::ostream &err,
        const std::string &libraryFolder);

} // namespace orbcall
