#pragma once

#include <memory>
#include <string>
#include <vector>

class MtxTree;
class ServerState;

// The server's own status, by watch type: the tree of types that
// "findWatchType" returns and the lines that "findSysStatus" returns for one.
namespace statusreport {

std::unique_ptr<MtxTree> watchTypes();
// The lines (UTF-8) of watch type number; false when there is no such type.
// Others than an administrator see the database's file name, not its path.
bool lines(ServerState &server, const std::string &number, bool administrator, std::vector<std::string> &out);

} // namespace statusreport
