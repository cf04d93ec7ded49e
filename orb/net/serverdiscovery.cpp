#include "orb/net/serverdiscovery.h"

#include <cstring>
#include <thread>

#include "orb/net/blockingsocket.h"
#include "orb/net/callcontrol.h"

namespace Internal {

namespace {

constexpr int Attempts = 10;
// Attempts from this index on go to the fallback port.
constexpr int FallbackAfter = 5;
constexpr int DatagramSize = 100;
constexpr int AnswerSize = 500;

void closeQuietly(CBlockingSocket &socket)
{
    try {
        socket.Close();
    } catch (const CBlockingSocketException &) {
    }
}

} // namespace

std::string discoveryDatagram()
{
    std::string datagram(DatagramSize, '\0');
    std::memcpy(datagram.data(), "DOMAIN_CTR,CHECK_APP_SERVER", 27);
    datagram[27] = '\x0A';
    datagram[28] = '\x0D';
    datagram[29] = '2';
    return datagram;
}

std::string discoverServer(const DiscoveryRequest &request)
{
    const std::string datagram = discoveryDatagram();
    int port = request.port;
    const CallControl *control = CallControl::current();
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        // A cancelled call, or one past its deadline, asks no more.
        if (control && (control->cancelled() || control->expired()))
            break;
        CBlockingSocket socket;
        try {
            socket.CreateDatagram();
        } catch (const CBlockingSocketException &) {
            break;
        }
        try {
            sockaddr_in any{};
            any.sin_family = AF_INET;
            socket.Bind(any);
            const int on = 1;
            socket.SetSockOpt(SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
            socket.SendDatagram(datagram.data(), DatagramSize, 0,
                                CBlockingSocket::GetHostByName(request.target.c_str(), port));

            char answer[AnswerSize] = {};
            const int received = socket.Receive(answer, AnswerSize, request.receiveTimeout);
            closeQuietly(socket);
            // An answer filling the whole buffer may have been cut; it is refused.
            if (received >= AnswerSize || received <= 0)
                break;
            return std::string(answer, ::strnlen(answer, static_cast<std::size_t>(received)));
        } catch (const CBlockingSocketException &) {
            closeQuietly(socket);
            std::this_thread::sleep_for(request.pause);
            if (attempt >= FallbackAfter)
                port = request.fallbackPort;
        }
    }
    return "ERROR";
}

} // namespace Internal
