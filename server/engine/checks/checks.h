#pragma once

#include <string>
#include <vector>

#include "server/engine/checks/checkresult.h"

// The checks the engine runs, one function per kind of measurement. Network
// checks honour the input's scope and time-out and never block longer.
namespace checks {

// HostName, Port -> Status ("open", "closed", "timeout"), ResponseTime (ms).
CheckResult tcpConnect(const CheckInput &input);
// HostName, Port (80), Path ("/") -> StatusCode, ResponseTime (ms).
CheckResult httpGet(const CheckInput &input);
// DnsServer, Port (53), QueryName -> Status ("ok", "nxdomain", "refused", ...), ResponseTime (ms), Address.
CheckResult dnsLookup(const CheckInput &input);
// HostName, PacketCount (4), Timeout (ms) -> PacketLoss (%), RoundTripTime (ms).
CheckResult ping(const CheckInput &input);

// Figures of this machine; HostName must name it (empty, "localhost" or 127.x).
CheckResult cpuUsage(const CheckInput &input);     // -> CpuUsage (%)
CheckResult memoryUsage(const CheckInput &input);  // -> MemoryUsage (%)
CheckResult diskSpace(const CheckInput &input);    // Drive -> FreePercent
CheckResult processCount(const CheckInput &input); // ProcessName -> ProcessCount
CheckResult interfaceTraffic(const CheckInput &input); // Interface (name or index) -> InOctets, OutOctets

// Lists for the dynamic drop-downs of this machine.
std::vector<std::string> mountPoints();
std::vector<std::string> processNames();
std::vector<std::string> interfaceNames();

} // namespace checks
