#include "fuzz/scratchserver.h"

#include "server/core/dispatcher.h"
#include "server/core/schema.h"
#include "server/core/serverlog.h"
#include "server/core/serverstate.h"
#include "server/core/setup/bootstrap.h"
#include "server/core/timetext.h"
#include "server/storage/sqlitestorage.h"
#include "services/types/tablefactory.h"

ScratchServer &ScratchServer::instance()
{
    static ScratchServer server;
    return server;
}

ScratchServer::ScratchServer()
{
    // Refused requests are the rule here: only errors are worth a line.
    serverlog::setLevel(serverlog::Level::Error);
    m_storage = std::make_unique<SqliteStorage>(m_folder.file("fuzz.db"), domainFactory());
    m_storage->open(schema::all());
    setup::bootstrap(*m_storage, AdminPassword);
    ServerInfo info;
    info.listenAddress = Peer;
    info.databasePath = m_folder.file("fuzz.db");
    m_state = std::make_unique<ServerState>(*m_storage, info);
    m_dispatcher = std::make_unique<Dispatcher>(*m_state, domainFactory());
    keepAdminLoggedIn();
}

ScratchServer::~ScratchServer()
{
    m_dispatcher.reset();
    m_state.reset();
    m_storage->close();
}

void ScratchServer::keepAdminLoggedIn()
{
    if (!m_state->sessions().has(setup::AdminName, Peer))
        m_state->sessions().login(setup::AdminName, Peer, timetext::now());
}
