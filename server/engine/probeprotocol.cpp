#include "server/engine/probeprotocol.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cctype>

#include "orb/textframe/textframe.h"
#include "server/core/handlers/inventory.h"
#include "server/core/serverlog.h"
#include "server/core/serverstate.h"
#include "server/engine/checks/checks.h"
#include "server/engine/engine.h"
#include "services/types/elementobj.h"

namespace {

std::string lower(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return out;
}

} // namespace

requestreader::Frame ProbeProtocol::frame(std::string_view received, std::size_t)
{
    // One request per connection: bytes beyond the announced length are refused.
    return requestreader::textFrame(received, {"DT", "DL"}, textframe::MaxPayload, true);
}

std::string ProbeProtocol::failure(std::string reason)
{
    std::replace_if(reason.begin(), reason.end(), [](char c) { return c == '$' || c == '\r' || c == '\n'; }, ' ');
    return "<return>fail$" + reason + "</end>";
}

std::string ProbeProtocol::refuse(Problem problem)
{
    switch (problem) {
    case Problem::TooLarge:
        return failure("frame too large");
    case Problem::TimedOut:
        return failure("the frame did not arrive whole within 10 seconds");
    case Problem::Malformed:
        return failure("bad frame: expected DT or DL, the body length as 4 digits, and exactly that many bytes");
    case Problem::Busy:
        break;
    }
    return failure("the probe server is busy, try again");
}

std::string ProbeProtocol::handle(std::string_view request, const std::string &)
{
    std::string_view kind = request.substr(0, 2);
    auto parts = textframe::split(request.substr(textframe::HeaderSize));
    std::size_t expected = kind == "DT" ? 6 : 3;
    if (!parts.tail.empty() || parts.fields.size() != expected)
        return failure(std::string(kind) + " takes " + std::to_string(expected) + " fields each ended by \"$\", not "
                       + std::to_string(parts.fields.size()) + (parts.tail.empty() ? "" : " and a tail"));
    return kind == "DT" ? test(parts.fields) : list(parts.fields);
}

std::string ProbeProtocol::test(const std::vector<std::string_view> &fields)
{
    // seid, device ID, monitor ID, kind, library, function: the monitor and
    // its device are enough to run the engine's own check.
    std::string reason;
    try {
        if (m_engine.runNow(std::string(fields[2]), std::string(fields[1]), reason))
            return std::string(Success);
    } catch (const std::exception &failed) {
        reason = failed.what();
    }
    serverlog::info("probe test of monitor " + std::string(fields[2]) + " failed: " + reason);
    return failure(reason);
}

std::string ProbeProtocol::list(const std::vector<std::string_view> &fields)
{
    auto device = inventory::element(m_server.storage(), std::string(fields[0]));
    if (!device)
        return failure("device " + std::string(fields[0]) + " does not exist");
    const std::string &address = device->get(ElementObj::Entity_IpAddress);
    in_addr parsed{};
    bool local = address.empty() || address == "localhost"
                 || (::inet_pton(AF_INET, address.c_str(), &parsed) == 1 && CheckScope::isLoopback(parsed));
    if (!local)
        return failure("lists can be read only for this machine (a device with a loopback address)");
    // The list function's name says which list is wanted.
    std::string function = lower(fields[2]);
    std::vector<std::string> entries;
    if (function.find("disk") != std::string::npos || function.find("drive") != std::string::npos)
        entries = checks::mountPoints();
    else if (function.find("process") != std::string::npos)
        entries = checks::processNames();
    else if (function.find("interface") != std::string::npos || function.find("net") != std::string::npos)
        entries = checks::interfaceNames();
    else
        return failure("unknown list function \"" + std::string(fields[2]) + "\"");
    std::string reply;
    for (const std::string &entry : entries)
        if (!entry.empty() && entry.size() <= 127 && entry.find_first_of("$\r\n") == std::string::npos)
            reply += entry + "$";
    return reply + std::string(textframe::EndMark);
}
