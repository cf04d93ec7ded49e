#include "server/core/replywriter.h"

#include "orb/wire/codepage.h"
#include "orb/wire/mtxstring.h"
#include "orb/wire/mtxstatus.h"
#include "orb/wire/xmltext.h"

namespace replywriter {

namespace {

std::string header(std::string_view service, std::string_view method)
{
    std::string out = "<pro-rep>";
    orb::appendElement(out, "service-name", service);
    orb::appendElement(out, "method-name", method);
    return out;
}

} // namespace

std::string response(std::string_view service, std::string_view method, const MtxObj *value)
{
    std::string out = header(service, method);
    out += "<response>";
    if (!value) {
        out += MtxStatus::SuccessMessage;
    } else if (const auto *text = dynamic_cast<const MtxString *>(value)) {
        orb::appendEscaped(out, text->getValue());
    } else {
        value->toXML(out, value->getElementName(), 1);
    }
    out += "</response>";
    out += RootEnd;
    return out;
}

std::string exception(std::string_view service, std::string_view method, std::string_view code,
                      std::string_view messageUtf8)
{
    std::string out = header(service, method);
    // The client keeps 63 bytes of code and message; cut on a whole character.
    std::string message = orb::fromUtf8(messageUtf8);
    message.resize(orb::fitLength(message, 63));
    out += "<exception>";
    orb::appendElement(out, "code", code.substr(0, 63));
    orb::appendElement(out, "message", message);
    out += "</exception>";
    out += RootEnd;
    return out;
}

} // namespace replywriter
