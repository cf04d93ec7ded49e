#include "orb/net/orbservice.h"

#include <optional>
#include <string>
#include <vector>

#include "orb/net/blockingsocket.h"
#include "orb/net/callcontrol.h"
#include "orb/net/debugdump.h"
#include "orb/net/mtxreply.h"
#include "orb/net/mtxrequest.h"
#include "orb/net/orbclient.h"
#include "orb/net/replycollector.h"

namespace {

// Large pieces: a tree of many megabytes then takes hundreds of receives
// rather than tens of thousands; the end of a reply is found however it is cut.
constexpr int ReceivePiece = 64 * 1024;
// A reply beyond this is refused rather than exhausting memory.
constexpr std::size_t MaxReplyBytes = 256u * 1024 * 1024;

void closeQuietly(std::unique_ptr<CBlockingSocket> &socket)
{
    if (!socket)
        return;
    try {
        socket->Close();
    } catch (const CBlockingSocketException &) {
    }
    socket.reset();
}

// Sends every byte, however many send() calls that takes; false on any
// failure or time-out.
bool sendWhole(CBlockingSocket &socket, const std::string &bytes, std::chrono::milliseconds timeout)
{
    std::size_t sent = 0;
    try {
        while (sent < bytes.size()) {
            const std::size_t rest = bytes.size() - sent;
            const int piece = rest > 0x40000000u ? 0x40000000 : static_cast<int>(rest);
            const int count = socket.Send(bytes.data() + sent, piece, timeout);
            if (count <= 0)
                return false;
            sent += static_cast<std::size_t>(count);
        }
    } catch (const CBlockingSocketException &) {
        return false;
    }
    return true;
}

// Collects the reply on connection and hands it to reply.
void receiveReply(CBlockingSocket &connection, const MtxRequest &request, MtxReply &reply,
                  std::chrono::milliseconds timeout)
{
    Internal::ReplyCollector collector;
    char piece[ReceivePiece];
    bool closedEarly = false;
    for (;;) {
        const int received = connection.Receive(piece, ReceivePiece, timeout);
        if (received <= 0) {
            closedEarly = !collector.complete();
            break;
        }
        collector.append(piece, static_cast<std::size_t>(received));
        if (collector.complete())
            break;
        if (collector.size() > MaxReplyBytes) {
            reply.setClientError(request.getServiceName(), request.getMethodName(), "Server reply too large");
            return;
        }
    }
    Internal::writeDebugDump("b.xml", collector.text());
    Internal::deliverReply(collector, closedEarly, request.getServiceName(), request.getMethodName(), reply);
}

// What a failed call says when its control ended it: cancelled, or out of time.
void reportControlledEnd(const CallControl &control, std::chrono::milliseconds limit, const char *service,
                         const char *method, MtxReply &reply)
{
    const MtxStatus *status = reply.getStatus();
    if (control.cancelled()) {
        reply.setClientError(service, method, CallControl::CancelledMessage);
    } else if (control.expired() && status && std::string_view(status->getCode()) == MtxStatus::ClientExceptionCode) {
        const std::string shown = limit.count() < 1000 ? std::to_string(limit.count()) + " ms"
                                                        : std::to_string((limit.count() + 999) / 1000) + " s";
        reply.setClientError(service, method, "Server call timed out (" + shown + ")");
    }
}

} // namespace

OrbService::OrbService(const char *serviceName)
    : m_version(Version), m_serviceName(serviceName ? serviceName : ""), m_trans("0")
{
}

OrbService::~OrbService() = default;

std::unique_ptr<MtxObj> OrbService::createObject(const char *)
{
    return nullptr;
}

void OrbService::setSession(MtxUserSession session)
{
    m_session = session;
    m_sessionKey.assignTruncated(session.getSessionKey());
}

void OrbService::setClient(OrbClient *client)
{
    m_client = client;
}

void OrbService::call(MtxRequest &request, MtxReply &reply)
{
    request.setSessionID(m_session.getUserName());
    request.setTransID(m_trans.view());
    std::string text;
    request.write(text);
    Internal::writeDebugDump("a.xml", text);

    const char *service = request.getServiceName();
    const char *method = request.getMethodName();
    if (m_client == nullptr) {
        reply.setClientError(service, method, "Server Not Found Error");
        return;
    }
    const std::string framed = MtxRequest::frame(text);

    const OrbClient::Timeouts timeouts = m_client->timeouts();
    // The call's deadline: that of the caller's control (which may cancel it)
    // when there is one, else one of its own.
    std::optional<CallControl> ownControl;
    std::optional<CallControl::Scope> scope;
    CallControl *control = CallControl::current();
    if (!control) {
        control = &ownControl.emplace();
        scope.emplace(*control);
    }
    control->limitTo(timeouts.call);

    std::unique_ptr<CBlockingSocket> connection;
    try {
        connection = m_client->getPooledSocketClient();
        if (connection)
            connection->AttachToCall(control);
        bool sent = connection && sendWhole(*connection, framed, timeouts.send);
        if (!sent && !control->cancelled() && !control->expired()) {
            // The failed connection is closed before the server is looked for again.
            closeQuietly(connection);
            m_client->reconnect();
            connection = m_client->getPooledSocketClient();
            if (connection)
                connection->AttachToCall(control);
            sent = connection && sendWhole(*connection, framed, timeouts.send);
        }
        if (sent)
            receiveReply(*connection, request, reply, timeouts.receive);
        else
            reply.setClientError(service, method, "Server Not Found Error");
    } catch (const CBlockingSocketException &) {
        reply.setClientError(service, method, "Server Connection Error");
    } catch (const std::bad_alloc &) {
        reply.setClientError(service, method, "Client out of memory");
    }
    closeQuietly(connection);
    reportControlledEnd(*control, timeouts.call, service, method, reply);
}

MtxStatus OrbService::invoke(const char *method, std::initializer_list<const MtxObj *> args, MtxObj *response)
{
    MtxStatus status;
    MtxRequest request(getServiceName(), method, std::vector<const MtxObj *>(args));
    // Items read into the response keep their types (a record's parameter
    // and condition arrays) only when made by this service's factory.
    if (response && !response->getFactory())
        response->setFactory(this);
    MtxReply reply(&status, response);
    call(request, reply);
    return status;
}
