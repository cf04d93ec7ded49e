#pragma once

#include <string>

class Storage;

// Fills a new database with what the server cannot run without: the
// administrator, the function-module tree, a role holding every module, a
// department and the root of the inventory. Each part is made only when its
// table is empty, so a restart also restores an administrator after the last
// user was deleted.
namespace setup {

inline constexpr const char *AdminName = "admin";
inline constexpr const char *AdminRole = "系统管理员";

struct BootstrapResult
{
    bool adminCreated = false;
    // The administrator's password when the server chose it (shown once).
    std::string generatedPassword;
    bool inventoryCreated = false;
};

// adminPassword empty: a random one is chosen.
BootstrapResult bootstrap(Storage &storage, const std::string &adminPassword);

// The server's own ports, which demo monitors check.
struct DemoPorts
{
    int app = 8899;
    int http = 8901;
};

// A small realistic inventory with monitors, alert rules, topology cells and
// log entries, added when the inventory holds only its root.
bool addDemoData(Storage &storage, const DemoPorts &ports = {});

} // namespace setup
