#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <regex>
#include <thread>

#include "orb/wire/mtxtree.h"
#include "services/types/elementobj.h"
#include "testsupport/loopback.h"
#include "testsupport/servertest.h"

namespace {

// keelmon-server run as a program, its standard error in a file.
class ServerProcess
{
public:
    // openFiles, when not 0, is the process's limit of open files (soft and hard).
    ServerProcess(const std::string &database, const std::string &log, rlim_t openFiles = 0) : m_log(log)
    {
        std::string program = std::string(std::getenv("KEEL_BIN_DIR") ? std::getenv("KEEL_BIN_DIR") : ".")
                              + "/keelmon-server";
        m_pid = ::fork();
        if (m_pid == 0) {
            std::freopen(log.c_str(), "w", stderr);
            const rlimit files{openFiles, openFiles};
            if (openFiles > 0)
                ::setrlimit(RLIMIT_NOFILE, &files);
            ::execl(program.c_str(), program.c_str(), "--port", "0", "--discovery-port", "0", "--db",
                    database.c_str(), "--admin-password", "pw", nullptr);
            std::_Exit(127);
        }
    }
    ~ServerProcess()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    // The ports from the start-up line; 0 when the server did not start in time.
    int port(int &discoveryPort)
    {
        std::regex line("listening on 127\\.0\\.0\\.1:(\\d+), discovery on UDP (\\d+)");
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::ifstream in(m_log);
            std::string text((std::istreambuf_iterator<char>(in)), {});
            std::smatch match;
            if (std::regex_search(text, match, line)) {
                discoveryPort = std::stoi(match[2]);
                return std::stoi(match[1]);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return 0;
    }
    // Sends SIGTERM and returns the exit status.
    int terminate()
    {
        ::kill(m_pid, SIGTERM);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    std::string m_log;
    pid_t m_pid = -1;
};

} // namespace

TEST(ServerProgram, ChangesSurviveSigtermAndARestart)
{
    TempFolder dir;
    const std::string database = dir.file("keelmon.db");
    {
        ServerProcess server(database, dir.file("first.log"));
        int discovery = 0;
        int port = server.port(discovery);
        ASSERT_GT(port, 0) << "keelmon-server did not start";
        TestClient client(port, discovery);
        ASSERT_TRUE(client.login("admin", "pw").succeeded());
        MtxTree tree(std::make_unique<ElementObj>());
        ASSERT_TRUE(client.callText("ElementService", "findElementTree", {"-1"}, &tree).succeeded());
        ElementObj group;
        group.set(ElementObj::ID, "survivor");
        group.set(ElementObj::PID, static_cast<const ElementObj &>(tree.node()).get(ElementObj::ID));
        group.set(ElementObj::Type, "1");
        group.set(ElementObj::Text, "kept");
        ASSERT_TRUE(client.call("ElementService", "addElement", {&group}).succeeded());
        EXPECT_EQ(server.terminate(), 0) << "SIGTERM is a clean stop";
    }
    std::ifstream first(dir.file("first.log"));
    std::string log((std::istreambuf_iterator<char>(first)), {});
    EXPECT_NE(log.find("database closed"), std::string::npos) << log;

    ServerProcess again(database, dir.file("second.log"));
    int discovery = 0;
    int port = again.port(discovery);
    ASSERT_GT(port, 0);
    TestClient client(port, discovery);
    ASSERT_TRUE(client.login("admin", "pw").succeeded()) << "the password stays what it was";
    ElementObj selected;
    ASSERT_TRUE(client.callText("ElementService", "selectElementObj", {"survivor"}, &selected).succeeded());
    EXPECT_EQ(selected.get(ElementObj::Text), "kept");
    EXPECT_EQ(again.terminate(), 0);
}

TEST(ServerProgram, RefusesBadOptionsAndAnUnusableDatabaseWithAMessage)
{
    TempFolder dir;
    std::string program = std::string(std::getenv("KEEL_BIN_DIR") ? std::getenv("KEEL_BIN_DIR") : ".") + "/keelmon-server";
    std::string command = program + " --port nope 2>" + dir.file("a.log");
    EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 2);
    command = program + " --port 0 --discovery-port 0 --db " + dir.file("missing/folder/x.db") + " 2>" + dir.file("b.log");
    EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 1);
    std::ifstream in(dir.file("b.log"));
    std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(text.find("cannot open the database"), std::string::npos) << text;
}

TEST(ServerProgram, UnderASmallOpenFilesLimitClientsBeyondItAreAnsweredBusy)
{
    TempFolder dir;
    const std::string log = dir.file("server.log");
    ServerProcess server(dir.file("keelmon.db"), log, 64);
    int discoveryPort = 0;
    const int port = server.port(discoveryPort);
    ASSERT_GT(port, 0) << "keelmon-server did not start";

    // Clients in the middle of a request, which are not closed to make room.
    std::vector<int> clients;
    for (int i = 0; i < 80; ++i) {
        int fd = connectLoopback(port);
        ASSERT_GE(fd, 0);
        ::send(fd, "Orb.MtxRequest\r\n<pro", 20, MSG_NOSIGNAL);
        clients.push_back(fd);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    int busy = 0;
    for (int fd : clients) {
        char reply[512];
        ssize_t got = ::recv(fd, reply, sizeof reply, MSG_DONTWAIT);
        busy += got > 0 && std::string(reply, std::size_t(got)).find("SERVER_BUSY") != std::string::npos;
    }
    EXPECT_GE(busy, 40) << "at most half of 64 files go to connections";
    for (int fd : clients)
        ::close(fd);
    const std::string request = "Orb.MtxRequest\r\n<pro-req><service-name>SysService</service-name><method-name>"
                                "findWatchType</method-name><trans-iD>0</trans-iD><session-iD>admin</session-iD>"
                                "<args><value xsi-type=\"Orb.MtxString\">SysInfo</value></args></pro-req>\r\n\r\n\r\n";
    std::string reply;
    // Served again once the clients left: an answer (without a login, the
    // refusal of a request that has no session), not the busy reply.
    const auto served = [&] { return reply.find("NO_SESSION") != std::string::npos; };
    for (int attempt = 0; attempt < 20 && !served(); ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        reply = exchangeOnLoopback(port, request, 2000);
    }
    EXPECT_TRUE(served()) << "served again once the clients left: " << reply;
    EXPECT_EQ(server.terminate(), 0);

    std::ifstream in(log);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(text.find("--max-connections 4096 lowered to 32"), std::string::npos) << text.substr(0, 2000);
    EXPECT_LT(std::count(text.begin(), text.end(), '\n'), 40) << "repeated warnings are counted, not written";
}
