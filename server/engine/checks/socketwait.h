#pragma once

#include <netinet/in.h>

#include <chrono>
#include <string>

// Non-blocking socket steps bounded by a deadline, shared by the network checks.
namespace socketwait {

using Clock = std::chrono::steady_clock;

int millisLeft(Clock::time_point deadline);

enum class Connect { Connected, Refused, TimedOut, Failed };

// Opens a non-blocking TCP socket to address; fd is set (and must be closed)
// unless the result is Failed.
Connect connect(const sockaddr_in &address, Clock::time_point deadline, int &fd, std::string &reason);

// Waits until fd is readable (events POLLIN) or writable (POLLOUT); false at the deadline.
bool waitFor(int fd, short events, Clock::time_point deadline);

// Sends all of text; false on failure or at the deadline.
bool sendAll(int fd, const std::string &text, Clock::time_point deadline);

} // namespace socketwait
