#pragma once

#include <string_view>
#include <vector>

#include "server/engine/checks/checkresult.h"

// The monitor kinds the engine can run (the ids of the monitor library,
// listed in server/demo-catalogue.md): what each returns and which check
// measures it.
struct MonitorKind
{
    const char *id;
    std::vector<const char *> returns; // return value names, in the order of the check's values
    CheckResult (*check)(const CheckInput &);
};

namespace monitorkinds {

// The kind with this id, or null.
const MonitorKind *find(std::string_view id);

} // namespace monitorkinds
