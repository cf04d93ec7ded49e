#include "tools/orbcall/orbcallcommand.h"

#include <charconv>
#include <cstdlib>
#include <functional>
#include <map>

namespace orbcall {

namespace {

bool parseInt(const std::string &text, int minimum, int maximum, int &value)
{
    const char *end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end && value >= minimum && value <= maximum;
}

bool parseSeconds(const std::string &text, std::optional<double> &value)
{
    char *end = nullptr;
    const double seconds = std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || !(seconds > 0) || seconds > 3600)
        return false;
    value = seconds;
    return true;
}

using Setter = std::function<bool(Options &, const std::string &)>;

// Every option that takes a value, with how it is stored; false means the
// value is not acceptable.
const std::map<std::string, Setter> &valueOptions()
{
    static const std::map<std::string, Setter> options = {
        {"--host", [](Options &o, const std::string &v) { o.host = v; return !v.empty(); }},
        {"--port", [](Options &o, const std::string &v) { return parseInt(v, 1, 65535, o.port); }},
        {"--discovery-port", [](Options &o, const std::string &v) { return parseInt(v, 1, 65535, o.discoveryPort); }},
        {"--discovery-target", [](Options &o, const std::string &v) { o.discoveryTarget = v; return !v.empty(); }},
        {"--timeout", [](Options &o, const std::string &v) { return parseSeconds(v, o.timeoutSeconds); }},
        {"--user", [](Options &o, const std::string &v) { o.user = v; return !v.empty(); }},
        {"--password", [](Options &o, const std::string &v) { o.password = v; return true; }},
        {"--response", [](Options &o, const std::string &v) { o.responseType = v; return !v.empty(); }},
    };
    return options;
}

} // namespace

const char *usage()
{
    return "usage: orbcall [--host H] [--port P] [--user U --password W] [--response TYPE]\n"
           "               [--show-request] [--timeout SECONDS] [--discovery-port P]\n"
           "               [--discovery-target ADDRESS] SERVICE METHOD [ARG ...]\n"
           "\n"
           "Sends one request to the application server (default 127.0.0.1:8899) and prints\n"
           "the response element as XML on standard output and \"status: CODE MESSAGE\" on\n"
           "standard error. With --user it logs in first, so the call carries the session.\n"
           "\n"
           "  ARG            a text sent as Orb.MtxString; @FILE sends the wire object whose\n"
           "                 XML element (with its xsi-type) FILE holds; @@TEXT sends \"@TEXT\"\n"
           "  --response T   read the response into wire type T (e.g. Orb.MtxArray) and print\n"
           "                 it as that type writes itself; by default the response element is\n"
           "                 printed as received\n"
           "  --show-request print the exact bytes sent on standard error\n"
           "  --timeout S    limit of each call as a whole, server discovery included\n"
           "                 (default 60 s; no connect, send or receive waits longer either)\n"
           "\n"
           "Exit status: 0 success, 1 server exception, 2 client-side failure, 64 bad usage.\n";
}

Options parseOptions(const std::vector<std::string> &arguments, std::string &error)
{
    Options options;
    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string &argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument.compare(0, 2, "--") != 0) {
            positional.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help") {
            options.help = true;
        } else if (argument == "--show-request") {
            options.showRequest = true;
        } else {
            const auto equals = argument.find('=');
            const std::string name = argument.substr(0, equals);
            const auto option = valueOptions().find(name);
            if (option == valueOptions().end()) {
                error = "unknown option " + name;
                return options;
            }
            std::string value;
            if (equals != std::string::npos) {
                value = argument.substr(equals + 1);
            } else if (i + 1 < arguments.size()) {
                value = arguments[++i];
            } else {
                error = name + " needs a value";
                return options;
            }
            if (!option->second(options, value)) {
                error = "bad value for " + name + ": \"" + value + "\"";
                return options;
            }
        }
    }
    if (options.help)
        return options;
    if (options.user.has_value() != options.password.has_value()) {
        error = "--user and --password go together";
        return options;
    }
    if (positional.size() < 2) {
        error = "SERVICE and METHOD are required";
        return options;
    }
    options.service = positional[0];
    options.method = positional[1];
    options.args.assign(positional.begin() + 2, positional.end());
    return options;
}

} // namespace orbcall
