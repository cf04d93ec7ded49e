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

    // peer: the caller's address (sessions are counted per user and address).
    std::string handle(std::string_view requestText, const std::string &peer = {});

    // A reply for a request that is refused before it is read (too large,
    // timed out, server busy); messageUtf8 says why.
    static std::string refuse(std::string_view code, std::string_view messageUtf8);

private:
    std::string run(const OrbRequest &request, const HandlerEntry &entry, bool &succeeded);
    void writeOperationLog(const OrbRequest &request, const HandlerEntry &entry, const std::string &user,
                           const std::string &time, const std::string &detail);
    void logFailedLogin(const OrbRequest &request, const std::string &reasonUtf8);
    bool isUser(const std::string &name);

    ServerState &m_server;
    MtxFactory &m_factory;
    std::unordered_map<std::string, const HandlerEntry *> m_handlers;
};
