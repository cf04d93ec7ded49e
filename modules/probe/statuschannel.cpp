#include "modules/probe/statuschannel.h"

#include <algorithm>
#include <cstdlib>

#include <arpa/inet.h>


#include "frame/localtext.h"
#include "modules/probe/monitorlibrary.h"
#include "orb/net/blockingsocket.h"
#include "orb/textframe/replyreader.h"
#include "orb/textframe/textframe.h"
#include "services/types/elementobj.h"
#include "services/types/monitorobj.h"

namespace {

// The executing library and function of kind for device: the U_ names for a
// device of Type "4", the N_ names otherwise.
struct ProbeNames
{
    std::string library;
    std::string function;
    std::string listFunction;
};

std::string Name(const MonitorKind &kind, const char *attribute)
{
    const auto found = kind.probeNames.find(QString::fromLatin1(attribute));
    return found == kind.probeNames.end() ? std::string() : toLocal(found->second);
}

ProbeNames NamesFor(const ElementObj &device, const MonitorKind &kind)
{
    if (device.get(ElementObj::Type) == "4")
        return {Name(kind, "U_ExecuteAssemblyName"), Name(kind, "U_ExecuteFunc"), Name(kind, "extraunixfunc")};
    std::string list = Name(kind, "extrantfunc");
    if (list.empty())
        list = Name(kind, "extraunixfunc");
    return {Name(kind, "N_ExecuteAssemblyName"), Name(kind, "N_ExecuteFunc"), list};
}

} // namespace

QString CStatusChannel::EndpointFrom(const std::string &address, const std::string &port, Endpoint &endpoint)
{
    const QString text = QString::fromLatin1(address).trimmed();
    in_addr host{};
    if (text.isEmpty() || text == QLatin1String("0"))
        return QStringLiteral("没有设置探测服务器地址：请在 Keelsys.ini 的 SYS 节设置 mainServerIP");
    // Dotted IPv4 only (four decimal parts), never a name to look up.
    if (::inet_pton(AF_INET, text.toLatin1().constData(), &host) != 1)
        return QStringLiteral("探测服务器地址 %1 不是 IPv4 地址：请检查 Keelsys.ini 的 mainServerIP").arg(text);
    // The leading number, as the settings have always been read ("abc" is 0).
    const long value = std::strtol(port.c_str(), nullptr, 10);
    endpoint.address = text;
    endpoint.port = value >= 1 && value <= 65535 ? int(value) : DefaultPort;
    return {};
}

std::vector<std::string> CStatusChannel::TestFields(const MonitorObj &monitor, const ElementObj &device,
                                                    const MonitorKind &kind)
{
    const ProbeNames names = NamesFor(device, kind);
    return {monitor.get(MonitorObj::seid), device.get(ElementObj::ID), monitor.get(MonitorObj::Id),
            monitor.get(MonitorObj::MonitorType), names.library, names.function};
}

std::vector<std::string> CStatusChannel::ListFields(const ElementObj &device, const MonitorKind &kind)
{
    const ProbeNames names = NamesFor(device, kind);
    return {device.get(ElementObj::ID), names.library, names.listFunction};
}

QStringList CStatusChannel::ListEntries(const std::string &reply)
{
    QStringList entries;
    for (std::string_view entry : textframe::split(reply).fields)
        if (!entry.empty() && entry.size() <= EntryBytes)
            entries.append(fromLocal(std::string(entry)));
    return entries;
}

CStatusChannel::CStatusChannel(Endpoint endpoint) : CStatusChannel(std::move(endpoint), Limits()) {}

CStatusChannel::CStatusChannel(Endpoint endpoint, Limits limits) : m_endpoint(std::move(endpoint)), m_limits(limits) {}

QString CStatusChannel::Exchange(const char *kind, const std::vector<std::string> &fields)
{
    using Clock = std::chrono::steady_clock;
    m_reply.clear();
    std::string error;
    const std::optional<std::string> frame = textframe::build(kind, fields, &error);
    if (!frame)
        return QStringLiteral("请求无法发送到探测服务器：%1").arg(QString::fromStdString(error));

    const QString where = QStringLiteral("%1:%2").arg(m_endpoint.address).arg(m_endpoint.port);
    const Clock::time_point deadline = Clock::now() + m_limits.exchange;
    const auto left = [&] {
        return std::max(std::chrono::milliseconds(0),
                        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()));
    };
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(quint16(m_endpoint.port));
    if (::inet_pton(AF_INET, m_endpoint.address.toLatin1().constData(), &address.sin_addr) != 1)
        return QStringLiteral("探测服务器地址 %1 不是 IPv4 地址：请检查 Keelsys.ini 的 mainServerIP").arg(m_endpoint.address);

    CBlockingSocket socket;
    try {
        socket.Create();
        // Connect tries up to three times; together they stay within the connect limit.
        socket.Connect(address, std::max(std::chrono::milliseconds(1), std::min(m_limits.connect, left()) / 3));
    } catch (const CBlockingSocketException &failure) {
        return QStringLiteral("无法连接探测服务器 %1（%2）：请检查探测服务是否运行").arg(where, QString::fromLatin1(failure.what()));
    }

    ReplyReader reader(m_limits.replyBytes);
    bool closed = false;
    try {
        for (std::size_t sent = 0; sent < frame->size();) {
            const int done = socket.Send(frame->data() + sent, int(frame->size() - sent), left());
            if (done < 1)
                return QStringLiteral("请求未能完整发送到探测服务器 %1").arg(where);
            sent += std::size_t(done);
        }
        std::vector<char> buffer(64 * 1024);
        while (reader.state() == ReplyReader::State::Collecting && left().count() > 0) {
            const int got = socket.Receive(buffer.data(), int(buffer.size()), left());
            if (got <= 0) {
                closed = true;
                break;
            }
            reader.feed(std::string_view(buffer.data(), std::size_t(got)));
        }
    } catch (const CBlockingSocketException &failure) {
        // A time-out or reset ends the exchange; what came is judged below.
        closed = failure.getError() != 0;
    }
    m_reply = reader.reply();
    switch (reader.state()) {
    case ReplyReader::State::Complete:
        return {};
    case ReplyReader::State::Overflow:
        return QStringLiteral("探测服务器 %1 的应答超过 %2 字节，已放弃").arg(where).arg(m_limits.replyBytes);
    case ReplyReader::State::Collecting:
        break;
    }
    if (closed)
        return QStringLiteral("探测服务器 %1 在应答结束前关闭了连接：请稍后再试").arg(where);
    return QStringLiteral("探测服务器 %1 在 %2 秒内没有完成应答：请稍后再试")
        .arg(where)
        .arg(m_limits.exchange.count() / 1000.0);
}
