#pragma once

#include <chrono>
#include <string>
#include <vector>

#include <QString>
#include <QStringList>

class ElementObj;
class MonitorObj;
struct MonitorKind;

// The short-lived connections to the probe server: one frame out ("DT" runs
// a monitor once, "DL" asks for the entries of a dynamic list), one reply in,
// read until it ends with "</end>". Every wait is bounded: the connect, the
// whole exchange, and the reply's size; the exchange ends when the peer closes.
class CStatusChannel
{
public:
    static constexpr int DefaultPort = 8899;
    // The longest list entry, in bytes of the code page.
    static constexpr std::size_t EntryBytes = 127;

    struct Limits
    {
        std::chrono::milliseconds connect{3000};
        std::chrono::milliseconds exchange{10000};
        std::size_t replyBytes = 1024 * 1024;
    };

    struct Endpoint
    {
        QString address;
        int port = DefaultPort;
    };

    // The endpoint from "SYS" "mainServerIP" and "ProServerPort": an empty
    // address, "0" or a text that is not a dotted IPv4 address is no endpoint
    // (message returned); a port outside 1..65535 or not a number is the default.
    static QString EndpointFrom(const std::string &address, const std::string &port, Endpoint &endpoint);

    // The fields of a test run and of a dynamic list. The library names are
    // the U_ pair for a device of Type "4" exactly, the N_ pair otherwise.
    static std::vector<std::string> TestFields(const MonitorObj &monitor, const ElementObj &device,
                                               const MonitorKind &kind);
    static std::vector<std::string> ListFields(const ElementObj &device, const MonitorKind &kind);
    // The non-empty "$"-ended entries of a complete reply, in order; entries
    // longer than EntryBytes are skipped, text after the last "$" ignored.
    static QStringList ListEntries(const std::string &reply);

    explicit CStatusChannel(Endpoint endpoint);
    CStatusChannel(Endpoint endpoint, Limits limits);

    // Sends kind with fields and collects the reply. Empty on success (the
    // connection was made, the whole frame sent and the reply ended with
    // "</end>"), otherwise what failed; reply() keeps what came.
    QString Exchange(const char *kind, const std::vector<std::string> &fields);
    const std::string &Reply() const { return m_reply; }

private:
    Endpoint m_endpoint;
    Limits m_limits;
    std::string m_reply;
};
