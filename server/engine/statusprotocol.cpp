#include "server/engine/statusprotocol.h"

#include <sstream>

#include "server/core/serverstate.h"
#include "server/engine/engine.h"

namespace {

std::string response(const char *status, const char *type, const std::string &body)
{
    return std::string("HTTP/1.0 ") + status + "\r\nContent-Type: " + type + "\r\nContent-Length: "
           + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

// A Prometheus label value: backslash, quote and line feed escaped.
std::string labelValue(const std::string &text)
{
    std::string escaped;
    for (char c : text) {
        if (c == '\\' || c == '"')
            escaped += '\\';
        escaped += c == '\n' ? std::string("\\n") : std::string(1, c);
    }
    return escaped;
}

} // namespace

requestreader::Frame StatusProtocol::frame(std::string_view received, std::size_t)
{
    if (received.find("\r\n\r\n") != std::string_view::npos || received.find("\n\n") != std::string_view::npos)
        return requestreader::Frame::Complete;
    return received.size() > 8192 ? requestreader::Frame::Malformed : requestreader::Frame::Incomplete;
}

std::string StatusProtocol::handle(std::string_view request, const std::string &)
{
    std::string_view line = request.substr(0, request.find_first_of("\r\n"));
    std::size_t space = line.find(' ');
    std::string_view method = line.substr(0, space);
    std::string_view path = space == std::string_view::npos ? "" : line.substr(space + 1);
    path = path.substr(0, path.find(' '));
    path = path.substr(0, path.find('?'));
    if (method != "GET")
        return response("405 Method Not Allowed", "text/plain", "only GET is served\n");
    if (path == "/health")
        return response("200 OK", "text/plain", "ok\n");
    if (path == "/metrics")
        return response("200 OK", "text/plain; version=0.0.4", metrics());
    return response("404 Not Found", "text/plain", "try /health or /metrics\n");
}

std::string StatusProtocol::refuse(Problem problem)
{
    if (problem == Problem::Busy)
        return response("503 Service Unavailable", "text/plain", "busy\n");
    return response("400 Bad Request", "text/plain", "bad request\n");
}

std::string StatusProtocol::metrics() const
{
    std::ostringstream out;
    auto metric = [&](const char *name, const char *type, const char *help, auto value) {
        out << "# HELP " << name << ' ' << help << "\n# TYPE " << name << ' ' << type << '\n'
            << name << ' ' << value << '\n';
    };
    RequestStats &requests = m_server.requests();
    ConnectionStats connections = m_server.connectionStats();
    EngineStats &engine = m_engine.stats();
    auto uptime = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_server.startClock()).count();
    metric("keelmon_uptime_seconds", "gauge", "Seconds since the server started.", uptime);
    metric("keelmon_requests_total", "counter", "Requests served.", requests.served());
    metric("keelmon_request_failures_total", "counter", "Requests answered with an exception.", requests.failed());
    metric("keelmon_request_seconds_total", "counter", "Time spent serving requests.",
           double(requests.totalTime().count()) / 1e6);
    metric("keelmon_request_seconds_max", "gauge", "Longest request so far.", double(requests.longest().count()) / 1e6);
    metric("keelmon_connections_accepted_total", "counter", "Connections accepted.", connections.accepted);
    metric("keelmon_connections_open", "gauge", "Connections open now.", connections.open);
    metric("keelmon_sessions", "gauge", "Users logged in.", m_server.sessions().count());
    metric("keelmon_monitors", "gauge", "Monitors in the inventory.", engine.monitors.load());
    metric("keelmon_monitors_held", "gauge", "Monitors this node runs.", m_server.monitorsHeld());
    out << "# HELP keelmon_node_info This server's node name.\n# TYPE keelmon_node_info gauge\n"
        << "keelmon_node_info{node=\"" << labelValue(m_server.info().nodeName) << "\"} 1\n";
    metric("keelmon_checks_total", "counter", "Checks run.", engine.checksRun.load());
    metric("keelmon_check_failures_total", "counter", "Checks that could not run.", engine.checksFailed.load());
    metric("keelmon_checks_late_total", "counter", "Checks started more than a second late.", engine.lateChecks.load());
    metric("keelmon_check_lateness_p99_seconds", "gauge", "99th percentile of check lateness (upper bound).",
           double(engine.latenessQuantile(0.99).count()) / 1000.0);
    metric("keelmon_results_stored_total", "counter", "Check results stored.", engine.resultsStored.load());
    metric("keelmon_state_changes_total", "counter", "Monitor state changes.", engine.stateChanges.load());
    metric("keelmon_alerts_sent_total", "counter", "Alerts sent.", engine.alertsSent.load());
    metric("keelmon_alerts_failed_total", "counter", "Alerts that could not be sent.", engine.alertsFailed.load());
    return out.str();
}
