#include "server/core/requestreader.h"

#include <algorithm>

#include "orb/textframe/textframe.h"
#include "orb/wire/mtxfactory.h"
#include "orb/wire/mtxobj.h"
#include "orb/wire/strictreading.h"
#include "orb/wire/xmltext.h"

namespace requestreader {

Frame textFrame(std::string_view received, std::initializer_list<std::string_view> kinds, std::size_t maxPayload,
                bool exact)
{
    textframe::Header header;
    switch (textframe::parseHeader(received, header)) {
    case textframe::HeaderStatus::Incomplete:
        return Frame::Incomplete;
    case textframe::HeaderStatus::Bad:
        return Frame::Malformed;
    case textframe::HeaderStatus::Ok:
        break;
    }
    if (std::find(kinds.begin(), kinds.end(), std::string_view(header.kind)) == kinds.end()
        || header.length > maxPayload)
        return Frame::Malformed;
    const std::size_t whole = textframe::HeaderSize + header.length;
    if (received.size() < whole)
        return Frame::Incomplete;
    return received.size() == whole || !exact ? Frame::Complete : Frame::Malformed;
}

Frame frame(std::string_view received, std::size_t checked)
{
    std::size_t prefix = std::min(received.size(), FramingLine.size());
    if (received.substr(0, prefix) != FramingLine.substr(0, prefix))
        return Frame::Malformed;
    // The end tag may straddle what was checked before and what came since.
    std::size_t from = std::max(FramingLine.size(), checked >= EndTag.size() ? checked - EndTag.size() + 1 : 0);
    if (from >= received.size())
        return Frame::Incomplete;
    return received.find(EndTag, from) == std::string_view::npos ? Frame::Incomplete : Frame::Complete;
}

bool read(std::string_view received, MtxFactory &factory, OrbRequest &request, std::string &error,
          std::string *textRefusal)
{
    if (frame(received) != Frame::Complete) {
        error = "the request does not start with the line Orb.MtxRequest or has no </pro-req>";
        return false;
    }
    std::string_view body = received.substr(FramingLine.size());
    body = body.substr(0, body.find(EndTag) + EndTag.size());

    // What is read here is stored: a text cut on the way in would be stored
    // cut and answered as a success.
    orb::StrictReading strict;
    pugi::xml_document document;
    std::string parseError;
    std::string local(body);
    if (!orb::parseLocalDocumentInPlace(document, local, &parseError)) {
        error = "the request is not well-formed XML: " + parseError;
        return false;
    }
    pugi::xml_node root = document.document_element();
    if (std::string_view(root.name()) != "pro-req") {
        error = std::string("the request's root element is <") + root.name() + ">, not <pro-req>";
        return false;
    }
    for (pugi::xml_node child = root.first_child(); child; child = child.next_sibling()) {
        std::string_view name = child.name();
        if (name == "service-name")
            request.service = orb::nodeText(child);
        else if (name == "method-name")
            request.method = orb::nodeText(child);
        else if (name == "session-iD")
            request.session = orb::nodeText(child);
        else if (name == "trans-iD")
            request.trans = orb::nodeText(child);
        else if (name == "args") {
            pugi::xml_node value = child.find_child([](const pugi::xml_node &node) {
                return node.type() == pugi::node_element;
            });
            if (!value) {
                error = "argument " + std::to_string(request.args.size() + 1) + " holds no value element";
                return false;
            }
            std::unique_ptr<MtxObj> argument = factory.createObject(value.attribute("xsi-type").value());
            if (!argument)
                argument = std::make_unique<MtxObj>();
            // Records hand the factory on to their arrays, whose items it makes.
            argument->setFactory(&factory);
            argument->fromXML(value);
            request.args.push_back(std::move(argument));
        }
    }
    if (request.service.empty() || request.method.empty()) {
        error = "the request names no service or no method";
        return false;
    }
    if (!strict.clean()) {
        const std::string message = strict.faults().front().messageUtf8();
        error = "a text of the request cannot be kept whole: " + message;
        if (textRefusal)
            *textRefusal = message;
        return false;
    }
    return true;
}

} // namespace requestreader
