#pragma once

#include <string>
#include <string_view>

#include "server/core/handlertable.h"

class Storage;
struct OrbRequest;

// The function-module rights the server enforces: the same codes the
// client's windows ask about. A user holds a code when a row of their role
// has it (compared as text).
namespace rights {

bool holds(Storage &storage, const std::string &user, std::string_view code);

// Refuses the call (refusal::NoRight, "没有此模块权限!") unless user may run
// request: SecurityService methods need their module's view or command
// right, the other services' changes need the view right "1000"; a user may
// always read their own record and their own role.
void check(Storage &storage, const OrbRequest &request, Access access, const std::string &user);

} // namespace rights
