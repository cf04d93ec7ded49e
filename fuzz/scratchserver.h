#pragma once

#include <memory>
#include <string>

#include "fuzz/scratchfolder.h"

class Dispatcher;
class ServerState;
class SqliteStorage;

// The reference server without its sockets, on a new database in a scratch
// folder: made once per fuzz process and shared by every input. The
// administrator stays logged in from loopback, so that inputs reach the
// handlers behind the session check.
class ScratchServer
{
public:
    static constexpr const char *Peer = "127.0.0.1";
    static constexpr const char *AdminPassword = "fuzz";

    static ScratchServer &instance();

    ServerState &state() { return *m_state; }
    Dispatcher &dispatcher() { return *m_dispatcher; }
    // Logs the administrator in again when an input logged it off.
    void keepAdminLoggedIn();

private:
    ScratchServer();
    ~ScratchServer();

    ScratchFolder m_folder;
    std::unique_ptr<SqliteStorage> m_storage;
    std::unique_ptr<ServerState> m_state;
    std::unique_ptr<Dispatcher> m_dispatcher;
};
