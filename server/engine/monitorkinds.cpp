#include "server/engine/monitorkinds.h"

#include "server/engine/checks/checks.h"

namespace monitorkinds {

const MonitorKind *find(std::string_view id)
{
    static const MonitorKind kinds[] = {
        {"1", {"PacketLoss", "RoundTripTime"}, &checks::ping},
        {"2", {"CpuUsage"}, &checks::cpuUsage},
        {"3", {"MemoryUsage"}, &checks::memoryUsage},
        {"4", {"FreePercent"}, &checks::diskSpace},
        {"5", {"Status", "ResponseTime"}, &checks::tcpConnect},
        {"6", {"ProcessCount"}, &checks::processCount},
        {"7", {"InOctets", "OutOctets"}, &checks::interfaceTraffic},
        {"8", {"StatusCode", "ResponseTime"}, &checks::httpGet},
        {"9", {"Status", "ResponseTime", "Address"}, &checks::dnsLookup},
    };
    for (const MonitorKind &kind : kinds)
        if (id == kind.id)
            return &kind;
    return nullptr;
}

} // namespace monitorkinds
