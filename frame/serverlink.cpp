#include "frame/serverlink.h"

#include <string_view>

#include "frame/localtext.h"
#include "orb/net/callcontrol.h"
#include "orb/net/orbclient.h"
#include "orb/wire/mtxstatus.h"

namespace {

// Client-side failures that mean the server is out of reach (the messages
// the runtime gives them); other client failures are answers of a kind.
constexpr std::string_view LinkFailures[] = {
    "Server Not Found Error", "Server Connection Error", "Server Not return value",
    "InitConnectionPool error", "Server call timed out", "Server reply incomplete",
};

} // namespace

bool CServerLink::IsLinkFailure(const MtxStatus &status)
{
    if (std::string_view(status.getCode()) != MtxStatus::ClientExceptionCode)
        return false;
    const std::string_view message = status.getMessage();
    for (std::string_view failure : LinkFailures) {
        if (message.substr(0, failure.size()) == failure)
            return true;
    }
    return false;
}

bool CServerLink::IsCancelled(const MtxStatus &status)
{
    return std::string_view(status.getCode()) == MtxStatus::ClientExceptionCode
        && std::string_view(status.getMessage()) == CallControl::CancelledMessage;
}

void CServerLink::Observe(const OrbClient *client)
{
    if (!client)
        return;
    const std::string host = client->getCurrentHost();
    if (!host.empty() && host != "ERROR")
        m_host = fromLocal(host);
    else if (m_host.isEmpty())
        m_host = fromLocal(client->getConfiguredHost());
    m_port = client->getPort();
}

void CServerLink::Record(const MtxStatus &status)
{
    if (IsCancelled(status))
        return;
    m_down = IsLinkFailure(status);
}

QString CServerLink::Address() const
{
    return m_port > 0 ? QStringLiteral("%1:%2").arg(Host()).arg(m_port) : Host();
}

QString CServerLink::PaneText(bool chinese) const
{
    if (chinese)
        return QStringLiteral("服务器IP: ") + Host() + (m_down ? QStringLiteral(" (连接中断)") : QString());
    return QStringLiteral("Server IP: ") + Host() + (m_down ? QStringLiteral(" (link down)") : QString());
}

QString CServerLink::LostMessage(bool chinese) const
{
    if (chinese)
        return QStringLiteral("无法连接服务器 (%1)，请检查网络或服务器后重试").arg(Address());
    return QStringLiteral("Cannot connect to the server (%1): check the network or the server and try again")
        .arg(Address());
}
