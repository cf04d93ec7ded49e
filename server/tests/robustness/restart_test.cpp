#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <thread>

#include "orb/wire/mtxtree.h"
#include "testsupport/servertest.h"
#include "services/types/elementobj.h"

namespace {

// keelmon-server run as a program, its standard error in a file.
class ServerProcess
{
public:
    ServerProcess(const std::string &database, const std::string &log) : m_log(log)
    {
        std::string program = std::string(std::getenv("KEEL_BIN_DIR") ? std::getenv("KEEL_BIN_DIR") : ".")
                              + "/keelmon-server";
        m_pid = ::fork();
        if (m_pid == 0) {
            std::freopen(log.c_str(), "w", stderr);
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
