// keelmon-server: the reference application server. Runs until SIGTERM or
// SIGINT, then stops accepting, answers the requests in hand and closes the
// database.
#include <signal.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "server/engine/monitoringserver.h"
#include "server/core/serverlog.h"

int main(int argc, char **argv)
{
    ServerOptions options;
    std::string error;
    bool help = false;
    if (!options.parse(std::vector<std::string>(argv + 1, argv + argc), error, help)) {
        std::fprintf(stderr, "keelmon-server: %s\n", error.c_str());
        return 2;
    }
    if (help) {
        std::fputs(ServerOptions::usage().c_str(), stdout);
        return 0;
    }

    // The signals are taken by sigwait below, in this thread only.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    MonitoringServer server(options);
    try {
        server.start();
    } catch (const std::exception &failure) {
        serverlog::error(std::string("cannot start: ") + failure.what());
        return 1;
    }
    const auto &bootstrap = server.app().bootstrapResult();
    if (!bootstrap.generatedPassword.empty())
        serverlog::warning("administrator \"admin\" created with the password " + bootstrap.generatedPassword
                           + " (shown only now; change it in the user window)");
    else if (bootstrap.adminCreated)
        serverlog::info("administrator \"admin\" created with the password given by --admin-password");

    int received = 0;
    sigwait(&stopSignals, &received);
    serverlog::info(std::string("received ") + (received == SIGTERM ? "SIGTERM" : "SIGINT") + ": stopping");
    server.stop();
    return 0;
}
