#pragma once

#include <memory>
#include <string>

#include "server/storage/storage.h"

class MtxFactory;

// The storage a --db location names, not yet opened: a PostgreSQL database
// for a libpq URI ("postgresql://…"), otherwise an SQLite file.
std::unique_ptr<Storage> storageFor(const std::string &location, MtxFactory &factory);
