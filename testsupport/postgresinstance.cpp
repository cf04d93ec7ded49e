#include "testsupport/postgresinstance.h"

#include <filesystem>
#include <pwd.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

#include "server/pg/pgconnection.h"

namespace {

const char *const ServiceUser = "postgres";
const char *const SuperUser = "keelmon";

// The folder of initdb and pg_ctl: Debian keeps them out of PATH.
std::string serverBinaries()
{
    namespace fs = std::filesystem;
    std::error_code ignored;
    std::string best;
    for (const auto &version : fs::directory_iterator("/usr/lib/postgresql", ignored)) {
        const std::string bin = (version.path() / "bin").string();
        if (fs::exists(bin + "/initdb") && fs::exists(bin + "/pg_ctl") && bin > best)
            best = bin;
    }
    return best;
}

bool runningAsRoot()
{
    return ::geteuid() == 0;
}

void giveToServiceUser(const std::string &path)
{
    if (!runningAsRoot())
        return;
    const passwd *user = ::getpwnam(ServiceUser);
    if (!user || ::chown(path.c_str(), user->pw_uid, user->pw_gid) != 0)
        throw std::runtime_error("cannot hand " + path + " to the " + ServiceUser + " user");
}

} // namespace

std::string PostgresInstance::unavailableReason()
{
    if (serverBinaries().empty())
        return "the PostgreSQL server is not installed (scripts/install-deps.sh installs it)";
    if (runningAsRoot() && !::getpwnam(ServiceUser))
        return std::string("running as root without a \"") + ServiceUser + "\" user to run PostgreSQL";
    return {};
}

PostgresInstance &PostgresInstance::shared()
{
    static PostgresInstance instance;
    return instance;
}

PostgresInstance::PostgresInstance(Options options)
    : m_options(options), m_data(m_folder.file("data")), m_log(m_folder.file("server.log"))
{
    if (const std::string reason = unavailableReason(); !reason.empty())
        throw std::runtime_error(reason);
    // The service user must reach the socket and the log in the folder.
    ::chmod(m_folder.path().c_str(), 0755);
    giveToServiceUser(m_folder.path());
    run("initdb", "-D '" + m_data + "' -U " + SuperUser + " --auth=trust -E UTF8 --locale=C.UTF-8 --no-sync");
    start();
}

PostgresInstance::~PostgresInstance()
{
    if (m_running)
        stop();
}

void PostgresInstance::start()
{
    std::string settings = "-k '" + m_folder.path() + "' -c listen_addresses='' -c max_connections=200";
    if (!m_options.durable)
        settings += " -c fsync=off -c synchronous_commit=off -c full_page_writes=off";
    run("pg_ctl", "-D '" + m_data + "' -l '" + m_log + "' -w -t 60 -o \"" + settings + "\" start");
    m_running = true;
}

void PostgresInstance::stop()
{
    run("pg_ctl", "-D '" + m_data + "' -m immediate -w -t 60 stop");
    m_running = false;
}

std::string PostgresInstance::connectionString(const std::string &name) const
{
    return "postgresql://" + std::string(SuperUser) + "@/" + name + "?host=" + m_folder.path();
}

std::string PostgresInstance::createDatabase(const std::string &name)
{
    PgConnection admin(connectionString("postgres"));
    admin.exec("CREATE DATABASE \"" + name + "\"");
    return connectionString(name);
}

void PostgresInstance::run(const std::string &program, const std::string &arguments) const
{
    // The paths are this object's own temporary folder, so quoting them is safe.
    std::string command = serverBinaries() + "/" + program + " " + arguments;
    if (runningAsRoot())
        command = "runuser -u " + std::string(ServiceUser) + " -- " + command;
    // libpq's own variables would point the programs elsewhere; /tmp is a
    // working folder the service user may enter.
    command = "cd /tmp && env -u PGHOST -u PGPORT -u PGDATA " + command + " >>'" + m_folder.file("commands.log")
              + "' 2>&1";
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error(program + " failed: " + readFile(m_folder.file("commands.log")) + readFile(m_log));
}
