#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "orb/wire/mtxtree.h"
#include "testsupport/loopback.h"
#include "testsupport/servertest.h"
#include "services/types/elementobj.h"

namespace {

class ConcurrencyTest : public ServerTest
{
protected:
    ServerOptions options() const override
    {
        ServerOptions options = ServerTest::options();
        options.limits.workerThreads = 3;
        return options;
    }
};

} // namespace

// Several clients add, read and list elements at once while many pooled
// connections sit idle; every call succeeds and every change is kept.
TEST_F(ConcurrencyTest, ClientsWorkAtOnceBesideIdleConnections)
{
    std::vector<int> idle;
    for (int i = 0; i < 40; ++i) {
        const int fd = connectLoopback(m_server->port());
        ASSERT_GE(fd, 0);
        idle.push_back(fd);
    }

    MtxTree tree(std::make_unique<ElementObj>());
    ASSERT_TRUE(admin().callText("ElementService", "findElementTree", {"-1"}, &tree).succeeded());
    const std::string root = static_cast<const ElementObj &>(tree.node()).get(ElementObj::ID);

    constexpr int Clients = 4;
    constexpr int Rounds = 15;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int c = 0; c < Clients; ++c) {
        threads.emplace_back([&, c] {
            TestClient client(m_server->port(), m_server->discoveryPort());
            if (!client.login("admin", AdminPassword).succeeded()) {
                ++failures;
                return;
            }
            for (int r = 0; r < Rounds; ++r) {
                ElementObj group;
                std::string id = "c" + std::to_string(c) + "-" + std::to_string(r);
                group.set(ElementObj::ID, id);
                group.set(ElementObj::PID, root);
                group.set(ElementObj::Type, "1");
                group.set(ElementObj::Text, id);
                ElementObj selected;
                MtxTree listed(std::make_unique<ElementObj>());
                if (!client.call("ElementService", "addElement", {&group}).succeeded()
                    || !client.callText("ElementService", "selectElementObj", {id}, &selected).succeeded()
                    || selected.get(ElementObj::Text) != id
                    || !client.callText("ElementService", "findElementTree", {"-1"}, &listed).succeeded())
                    ++failures;
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);

    MtxTree after(std::make_unique<ElementObj>());
    ASSERT_TRUE(admin().callText("ElementService", "findElementTree", {"-1"}, &after).succeeded());
    EXPECT_EQ(after.childCount(), std::size_t(Clients * Rounds));
    EXPECT_GE(m_server->state().connectionStats().waiting, 40u) << "idle connections are kept open";
    for (int fd : idle)
        ::close(fd);
}
