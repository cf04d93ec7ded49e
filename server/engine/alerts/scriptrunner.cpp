#include "server/engine/alerts/scriptrunner.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <thread>

extern char **environ;

namespace scriptrunner {

bool isSafeName(const std::string &name)
{
    return !name.empty() && name.find_first_of("/\\") == std::string::npos && name.find("..") == std::string::npos
           && name.front() != '-' && name.find('\0') == std::string::npos;
}

bool run(const std::string &folder, const std::string &name, const std::vector<std::string> &arguments,
         std::chrono::milliseconds limit, std::string &reason)
{
    if (folder.empty()) {
        reason = "no script folder is configured (start the server with --script-dir)";
        return false;
    }
    if (!isSafeName(name)) {
        reason = "the script name \"" + name + "\" is refused: give a file name in the script folder, without "
                 "\"/\", \"\\\" or \"..\"";
        return false;
    }
    std::string path = folder + "/" + name;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || ::access(path.c_str(), X_OK) != 0) {
        reason = "no executable script " + path;
        return false;
    }
    std::vector<char *> argv{path.data()};
    std::vector<std::string> copies(arguments);
    for (std::string &argument : copies)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int rc = ::posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        reason = "cannot start " + path + ": " + std::strerror(rc);
        return false;
    }
    auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    for (;;) {
        pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid)
            break;
        if (done < 0 && errno != EINTR) {
            reason = std::string("lost the script's process: ") + std::strerror(errno);
            return false;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            reason = name + " ran longer than " + std::to_string(limit.count()) + " ms and was stopped";
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return true;
    reason = name + (WIFEXITED(status) ? " ended with status " + std::to_string(WEXITSTATUS(status))
                                       : " was ended by signal " + std::to_string(WTERMSIG(status)));
    return false;
}

} // namespace scriptrunner
