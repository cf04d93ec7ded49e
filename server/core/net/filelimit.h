#pragma once

#include <cstddef>

// The open-files limit of the process, which bounds how many connections
// the server can hold.
namespace filelimit {

// Raises the soft limit to the hard one; returns the soft limit now in force.
std::size_t raise();

// Connections a server may keep open under a soft limit of files: the rest
// stays free for the database, the other listeners, checks and logs.
std::size_t connectionsWithin(std::size_t files);

} // namespace filelimit
