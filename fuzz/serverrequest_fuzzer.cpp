// The server's side of a request: the bytes arrive in pieces and are framed
// as the event loop frames them (each piece scanned once), then a complete
// request is read and dispatched against a scratch database with the
// administrator logged in. Every reply must end the way the client's end
// test expects and be well-formed for the client's parser.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzzcheck.h"
#include "fuzz/scratchserver.h"
#include "orb/wire/xmltext.h"
#include "server/core/dispatcher.h"
#include "server/core/replywriter.h"
#include "server/core/requestreader.h"

namespace {

// The framing of received as the event loop sees it, piece after piece.
requestreader::Frame frameInPieces(std::string_view received, std::size_t piece)
{
    std::size_t checked = 0;
    for (std::size_t end = piece;; end += piece) {
        const std::string_view part = received.substr(0, end);
        const requestreader::Frame frame = requestreader::frame(part, checked);
        if (frame != requestreader::Frame::Incomplete || part.size() == received.size())
            return frame;
        checked = part.size();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    ScratchServer &server = ScratchServer::instance();
    const std::string_view request(reinterpret_cast<const char *>(data), size);

    const requestreader::Frame whole = requestreader::frame(request);
    const requestreader::Frame pieces = frameInPieces(request, 1 + size % 61);
    requireThat(whole == pieces, "framing in pieces differs from framing the whole request", request);
    if (whole != requestreader::Frame::Complete)
        return 0;

    server.keepAdminLoggedIn();
    const std::string reply = server.dispatcher().handle(request, ScratchServer::Peer);
    requireThat(reply.starts_with("<pro-rep>") && reply.ends_with(replywriter::RootEnd),
                "reply without its root element", reply);
    std::string parsed = reply;
    pugi::xml_document document;
    requireThat(orb::parseLocalDocumentInPlace(document, parsed), "the client cannot parse the reply", reply);
    return 0;
}
