#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

#include "server/core/handlertable.h"

class MtxFactory;
class ServerState;
struct OrbRequest;

// Turns one request text into its reply text: reads it, finds the handler of
// (service, method), checks the session, runs the handler in a transaction,
// writes the operation log of a change, and never lets a failure escape.
class Dispatcher
{
public:
    Dispatcher(ServerState &server, MtxFactory &factory);

    // peer is the caller's IP address: a session holds only for the address
    // that logged in.
    std::string handle(std::string_view requestText, const std::string &peer);

    // A reply for a request that is refused before it is read (too large,
    // timed out, server busy); messageUtf8 says why.
    static std::string refuse(std::string_view code, std::string_view messageUtf8);

private:
    std::string run(const OrbRequest &request, const HandlerEntry &entry, const std::string &peer, bool &succeeded);
    void writeOperationLog(const OrbRequest &request, const HandlerEntry &entry, const std::string &user,
                           const std::string &time, const std::string &detail);
    // Records a refused login or a refused right in its own transaction (the
    // refused call rolled back).
    // Records a refused login, one row per burst of failures from an address.
    void logFailedLogin(const std::string &user, const std::string &peer, const std::string &reasonUtf8);
    void logRefusal(const std::string &user, const char *titleUtf8, const std::string &detail);
    bool hasSession(const std::string &name, const std::string &peer);

    ServerState &m_server;
    MtxFactory &m_factory;
    std::unordered_map<std::string, const HandlerEntry *> m_handlers;
};
