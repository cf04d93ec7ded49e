// The client's side of a reply: the bytes are collected in socket-sized
// pieces as a call collects them, judged (complete, incomplete, busy) and
// decoded into the response object a caller would pass for the type the
// reply names, made by the factory of every service. What was read is then
// written, as the client does when it sends a record back, and must read
// back to the same text: nothing a server sends can make the client send
// something other than what it holds.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzzcheck.h"
#include "orb/net/mtxreply.h"
#include "orb/net/replycollector.h"
#include "orb/wire/mtxstatus.h"
#include "orb/wire/mtxstring.h"
#include "orb/wire/xmltext.h"
#include "services/types/tablefactory.h"

namespace {

constexpr std::size_t ReceivePiece = 2048;

// The wire type of the first typed element inside "<response>": what the
// caller of that method would have given as its response object.
std::unique_ptr<MtxObj> responseFor(std::string_view reply)
{
    constexpr std::string_view Attribute = "xsi-type=\"";
    const std::size_t response = reply.find("<response>");
    const std::size_t start = response == std::string_view::npos ? response : reply.find(Attribute, response);
    if (start == std::string_view::npos)
        return std::make_unique<MtxString>();
    const std::size_t name = start + Attribute.size();
    const std::size_t end = reply.find('"', name);
    if (end == std::string_view::npos)
        return std::make_unique<MtxString>();
    return createDomainObject(std::string(reply.substr(name, end - name)).c_str());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    // The length decides the piece size, so that replies of every length are
    // also cut at every place.
    const std::size_t piece = 1 + size % ReceivePiece;

    Internal::ReplyCollector collector;
    bool complete = false;
    for (std::size_t at = 0; at < bytes.size() && !complete; at += piece) {
        const std::string_view part = bytes.substr(at, piece);
        collector.append(part.data(), part.size());
        complete = collector.complete();
    }

    std::unique_ptr<MtxObj> response = responseFor(bytes);
    response->setFactory(&domainFactory());
    MtxStatus status;
    MtxReply reply(&status, response.get());
    Internal::deliverReply(collector, !complete, "ElementService", "findElementTree", reply);

    std::string written;
    response->toXML(written, "value", 1);
    if (written.empty())
        return 0; // a type the client does not know writes nothing
    std::string parsed = written;
    pugi::xml_document document;
    requireThat(orb::parseLocalDocumentInPlace(document, parsed), "a response written is not well-formed", written);
    std::unique_ptr<MtxObj> again = response->newInstance();
    again->setFactory(&domainFactory());
    again->fromXML(document.document_element());
    std::string rewritten;
    again->toXML(rewritten, "value", 1);
    requireThat(rewritten == written, "a response read back differs from what was written", written);
    return 0;
}
