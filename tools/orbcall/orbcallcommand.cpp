#include "tools/orbcall/orbcallcommand.h"

#include <algorithm>
#include <fstream>
#include <memory>
#include <sstream>

#include "orb/net/mtxreply.h"
#include "orb/net/mtxrequest.h"
#include "orb/net/orbclient.h"
#include "orb/wire/codepage.h"
#include "orb/wire/mtxstring.h"
#include "orb/wire/xmltext.h"
#include "tools/orbcall/capturedresponse.h"
#include "tools/orbcall/factorychain.h"

namespace orbcall {

namespace {

constexpr std::size_t MaxArgumentFile = 16 * 1024 * 1024;
constexpr std::size_t MaxNameLength = 63;

// The wire object held by the XML element in the file at path.
std::unique_ptr<MtxObj> readArgumentFile(const std::string &path, FactoryChain &factories, std::string &error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot read argument file " + path;
        return nullptr;
    }
    std::string text;
    text.resize(MaxArgumentFile + 1);
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(file.gcount()));
    if (text.size() > MaxArgumentFile) {
        error = "argument file " + path + " is larger than 16 MiB";
        return nullptr;
    }
    pugi::xml_document document;
    std::string parseError;
    if (!orb::parseUtf8Document(document, text, &parseError)) {
        error = "argument file " + path + " is not well-formed XML: " + parseError;
        return nullptr;
    }
    const pugi::xml_node element = document.document_element();
    const char *typeName = element.attribute("xsi-type").value();
    if (*typeName == '\0') {
        error = "argument file " + path + ": the element <" + element.name() + "> has no xsi-type attribute";
        return nullptr;
    }
    std::unique_ptr<MtxObj> object = factories.createKnown(typeName);
    if (!object) {
        error = "argument file " + path + ": unknown wire type " + typeName
            + " (no service library beside orbcall knows it)";
        return nullptr;
    }
    // Records read their arrays' items through their factory.
    if (!object->getFactory())
        object->setFactory(&factories);
    object->fromXML(element);
    return object;
}

// One request argument from its command-line text.
std::unique_ptr<MtxObj> makeArgument(const std::string &text, FactoryChain &factories, std::string &error)
{
    if (text.size() > 1 && text[0] == '@' && text[1] != '@')
        return readArgumentFile(text.substr(1), factories, error);
    const std::string value = orb::fromUtf8(text.size() > 1 && text[0] == '@' ? text.substr(1) : text);
    if (value.size() > 1023) {
        error = "argument \"" + text.substr(0, 20) + "...\" is longer than the 1023 bytes of an MtxString";
        return nullptr;
    }
    return std::make_unique<MtxString>(value.c_str());
}

OrbClient::Timeouts timeoutsFor(const Options &options)
{
    OrbClient::Timeouts timeouts;
    if (options.timeoutSeconds) {
        // The limit of the whole call; no single step waits longer either.
        const auto limit = std::chrono::milliseconds(static_cast<long long>(*options.timeoutSeconds * 1000 + 0.5));
        for (std::chrono::milliseconds *step :
             {&timeouts.connect, &timeouts.send, &timeouts.receive, &timeouts.discoveryReceive})
            *step = std::min(*step, limit);
        timeouts.call = limit;
    }
    return timeouts;
}

int exitStatusOf(const MtxStatus &status)
{
    if (status.succeeded())
        return Success;
    // Client-side failures either say so in the code or keep code "1".
    if (status.getCode() == std::string_view(MtxStatus::ClientExceptionCode)
        || status.getCode() == std::string_view(MtxStatus::SuccessCode))
        return ClientFailure;
    return ServerException;
}

int report(const MtxStatus &status, std::ostream &err)
{
    err << "status: " << orb::toUtf8(status.getCode()) << ' ' << orb::toUtf8(status.getMessage()) << '\n';
    return exitStatusOf(status);
}

void printResponse(const MtxObj &response, std::ostream &out)
{
    if (const auto *captured = dynamic_cast<const CapturedResponse *>(&response)) {
        if (captured->received())
            out << orb::toUtf8(captured->xml()) << '\n';
        return;
    }
    std::string xml;
    response.toXML(xml, "response", 1);
    out << orb::toUtf8(xml) << '\n';
}

int badUsage(const std::string &message, std::ostream &err)
{
    err << "orbcall: " << message << "\n\n" << usage();
    return BadUsage;
}

} // namespace

int run(const std::vector<std::string> &arguments, std::ostream &out, std::ostream &err,
        const std::string &libraryFolder)
{
    std::string error;
    const Options options = parseOptions(arguments, error);
    if (!error.empty())
        return badUsage(error, err);
    if (options.help) {
        out << usage();
        return Success;
    }
    if (options.service.size() > MaxNameLength || options.method.size() > MaxNameLength)
        return badUsage("SERVICE and METHOD have at most 63 characters", err);

    // Declared first so that it outlives every object its libraries create.
    FactoryChain factories;
    factories.loadServiceLibraries(libraryFolder, err);
    factories.preferService(options.service.c_str());

    std::vector<std::unique_ptr<MtxObj>> args;
    for (const std::string &text : options.args) {
        args.push_back(makeArgument(text, factories, error));
        if (!args.back())
            return badUsage(error, err);
    }
    std::unique_ptr<MtxObj> response;
    if (options.responseType.empty()) {
        response = std::make_unique<CapturedResponse>();
    } else if (!(response = factories.createKnown(options.responseType.c_str()))) {
        return badUsage("unknown response type " + options.responseType, err);
    } else if (!response->getFactory()) {
        response->setFactory(&factories);
    }

    OrbClient client(options.host.c_str(), options.port, options.discoveryPort);
    client.setTimeouts(timeoutsFor(options));
    if (!options.discoveryTarget.empty())
        client.setDiscoveryTarget(options.discoveryTarget);
    client.setClient(&client);
    if (options.user) {
        const std::string user = orb::fromUtf8(*options.user);
        MtxUserSession session;
        session.setUserName(user.substr(0, orb::fitLength(user, 63)));
        MtxStatus result;
        client.login(result, user.c_str(), orb::fromUtf8(*options.password).c_str(), "version", session);
        if (!result.succeeded()) {
            err << "orbcall: login as " << *options.user << " failed\n";
            return report(result, err);
        }
    }

    OrbService service(options.service.c_str());
    service.setSession(client.getSession());
    service.setClient(&client);
    std::vector<const MtxObj *> argPointers;
    for (const auto &arg : args)
        argPointers.push_back(arg.get());
    MtxRequest request(options.service.c_str(), options.method.c_str(), argPointers);
    if (options.showRequest) {
        // The same session and trans texts that the call itself puts in.
        request.setSessionID(service.getSession().getUserName());
        request.setTransID(service.getTrans());
        std::string text;
        request.write(text);
        err << MtxRequest::frame(text);
        err.flush();
    }

    MtxStatus status;
    MtxReply reply(&status, response.get());
    service.call(request, reply);
    if (status.succeeded())
        printResponse(*response, out);
    return report(status, err);
}

} // namespace orbcall
