#include "server/storage/storagefor.h"

#include "server/pg/pgconnection.h"
#include "server/storage/postgresstorage.h"
#include "server/storage/sqlitestorage.h"

std::unique_ptr<Storage> storageFor(const std::string &location, MtxFactory &factory)
{
    if (isPostgresLocation(location))
        return std::make_unique<PostgresStorage>(location, factory);
    return std::make_unique<SqliteStorage>(location, factory);
}
