#include "orb/wire/mtxarray.h"
#include "orb/wire/mtxstring.h"
#include "orb/wire/mtxtree.h"
#include "server/core/timetext.h"
#include "services/types/elementobj.h"
#include "services/types/syslogobj.h"
#include "services/types/systypeobj.h"
#include "services/types/tablefactory.h"
#include "services/types/tpinfoobj.h"
#include "testsupport/servertest.h"

namespace {

constexpr const char *Sys = "SysService";
constexpr const char *Topology = "TPService";

class SystemTest : public ServerTest
{
protected:
    MtxArray list(const char *service, const char *method, const std::vector<std::string> &args)
    {
        MtxArray items;
        items.setFactory(&domainFactory());
        MtxStatus status = admin().callText(service, method, args, &items);
        EXPECT_TRUE(status.succeeded()) << method << ": " << messageOf(status);
        return items;
    }
};

TPInfoObj cell(const std::string &id, const std::string &picture)
{
    TPInfoObj record;
    record.set(TPInfoObj::ID, id);
    record.set(TPInfoObj::PID, picture);
    record.set(TPInfoObj::X, "10.000000");
    record.set(TPInfoObj::Image, local("机房.jpg"));
    return record;
}

} // namespace

TEST_F(SystemTest, LoginChecksPasswordAndEveryOtherRequestNeedsAUser)
{
    EXPECT_TRUE(newClient()->login("admin", AdminPassword).succeeded());
    for (auto [user, password] : {std::pair{"admin", "wrong"}, {"nobody", AdminPassword}, {"admin", ""}, {"", ""}}) {
        MtxStatus status = newClient()->login(user, password);
        EXPECT_STREQ(status.getCode(), "LOGIN_FAILED") << user << "/" << password << ": " << messageOf(status);
    }
    MtxArray log;
    log.setFactory(&domainFactory());
    const std::string now = timetext::now(), today = now.substr(0, now.find(' '));
    ASSERT_TRUE(admin().callText("SecurityService", "selectSysLogArray", {today, today}, &log).succeeded());
    int failed = 0;
    for (const auto &item : log)
        failed += static_cast<const SysLogObj &>(*item).get(SysLogObj::Title) == local("登录失败");
    EXPECT_EQ(failed, 4) << "refused logins are in the operation log";

    auto anonymous = newClient();
    anonymous->actAs("");
    EXPECT_EQ(messageOf(anonymous->callText("ElementService", "selectElementObj", {"x"})),
              "NO_SESSION 未登录或会话已结束，请重新登录");
    anonymous->actAs("ghost");
    EXPECT_STREQ(anonymous->callText(Sys, "findWatchType", {"SysInfo"}).getCode(), "NO_SESSION");

    EXPECT_STREQ(admin().callText("ElementService", "noSuchMethod", {}).getCode(), "UNKNOWN_METHOD");
    EXPECT_STREQ(admin().callText("NoService", "login", {}).getCode(), "UNKNOWN_METHOD");
    EXPECT_STREQ(admin().callText("ElementService", "selectElementObj", {}).getCode(), "BAD_REQUEST")
        << "a missing argument is refused";
}

TEST_F(SystemTest, StatusReportsTheServersOwnFigures)
{
    MtxTree types(std::make_unique<SysTypeObj>());
    types.setFactory(&domainFactory());
    ASSERT_TRUE(admin().callText(Sys, "findWatchType", {"SysInfo"}, &types).succeeded());
    EXPECT_EQ(static_cast<const SysTypeObj &>(types.node()).get(SysTypeObj::No), "0");
    ASSERT_GE(types.childCount(), 5u);
    EXPECT_STREQ(admin().callText(Sys, "findWatchType", {"Other"}).getCode(), "NOT_FOUND");

    auto text = [&](const char *number) {
        std::string all;
        for (const auto &line : list(Sys, "findSysStatus", {number}))
            all += std::string(dynamic_cast<const MtxString &>(*line).getValue()) + "\n";
        return all;
    };
    std::string sessions = text("3");
    EXPECT_NE(sessions.find(local("在线用户数: 1")), std::string::npos) << sessions;
    std::string database = text("4");
    EXPECT_NE(database.find(m_database), std::string::npos) << database;
    EXPECT_NE(database.find(local("表 users: 1 行")), std::string::npos) << database;
    std::string requests = text("2");
    EXPECT_NE(requests.find(local("已处理请求: ")), std::string::npos);
    std::string all = text("0");
    EXPECT_GT(all.size(), requests.size() + database.size());
    EXPECT_STREQ(admin().callText(Sys, "findSysStatus", {"99"}).getCode(), "NOT_FOUND");

    // Logging in again from the same address is the same session, not one more.
    EXPECT_NE(sessions.find(local("(1 个会话)")), std::string::npos) << sessions;
    ASSERT_TRUE(newClient()->login("admin", AdminPassword).succeeded());
    sessions = text("3");
    EXPECT_NE(sessions.find(local("在线用户数: 1")), std::string::npos) << sessions;
    EXPECT_NE(sessions.find(local("(1 个会话)")), std::string::npos) << sessions;

    ASSERT_TRUE(admin().call(Sys, "logoff", {&admin().client().getSession()}).succeeded());
    EXPECT_STREQ(admin().callText(Sys, "findSysStatus", {"3"}).getCode(), "NO_SESSION") << "logoff ends the session";
    auto second = newClient();
    ASSERT_TRUE(second->login("admin", AdminPassword).succeeded());
    MtxArray lines;
    lines.setFactory(&domainFactory());
    ASSERT_TRUE(second->callText(Sys, "findSysStatus", {"3"}, &lines).succeeded());
    EXPECT_EQ(std::string(dynamic_cast<const MtxString &>(*lines.at(0)).getValue()), local("在线用户数: 1"));
}

TEST_F(SystemTest, TopologyCellsArePicturesWithinPictures)
{
    for (auto [id, picture] : {std::pair{"c1", "1"}, {"c2", "1"}, {"c1-a", "c1"}, {"c1-a-x", "c1-a"}}) {
        TPInfoObj sent = cell(id, picture);
        ASSERT_TRUE(admin().call(Topology, "addTPInfo", {&sent}).succeeded()) << id;
    }
    TPInfoObj duplicate = cell("c1", "1");
    EXPECT_STREQ(admin().call(Topology, "addTPInfo", {&duplicate}).getCode(), "ALREADY_EXISTS");
    MtxArray top = list(Topology, "findTPInfoArrayByPID", {"1"});
    ASSERT_EQ(top.size(), 2u);
    const auto &first = static_cast<const TPInfoObj &>(*top.at(0));
    EXPECT_EQ(first.get(TPInfoObj::Type), "0") << "an empty kind is stored as 0";
    EXPECT_EQ(first.get(TPInfoObj::Image), local("机房.jpg"));

    TPInfoObj moved = cell("c2", "1");
    moved.set(TPInfoObj::MID, "element-7");
    ASSERT_TRUE(admin().call(Topology, "updateTPInfo", {&moved}).succeeded());
    EXPECT_EQ(static_cast<const TPInfoObj &>(*list(Topology, "findTPInfoArrayByPID", {"1"}).at(1)).get(TPInfoObj::MID),
              "element-7");
    TPInfoObj unsaved = cell("c9", "1");
    EXPECT_STREQ(admin().call(Topology, "updateTPInfo", {&unsaved}).getCode(), "NOT_FOUND");

    ASSERT_TRUE(admin().callText(Topology, "deleteTPInfo", {"c1"}).succeeded());
    EXPECT_EQ(list(Topology, "findTPInfoArrayByPID", {"c1"}).size(), 0u);
    EXPECT_EQ(list(Topology, "findTPInfoArrayByPID", {"c1-a"}).size(), 0u) << "sub-pictures go with their cell";
    EXPECT_TRUE(admin().callText(Topology, "deleteTPInfo", {"never-saved"}).succeeded());
    ASSERT_TRUE(admin().callText(Topology, "deleteTPInfoArrayByPID", {"1"}).succeeded());
    EXPECT_EQ(list(Topology, "findTPInfoArrayByPID", {"1"}).size(), 0u);
}

TEST_F(SystemTest, DiscoveryAnswersWithTheServersAddress)
{
    auto client = newClient();
    EXPECT_EQ(client->client().discover(), "127.0.0.1");
}

TEST_F(SystemTest, DataAndPasswordsSurviveARestart)
{
    ElementObj added;
    added.set(ElementObj::ID, "kept");
    added.set(ElementObj::Type, "1");
    added.set(ElementObj::Text, local("持久组"));
    MtxTree tree(std::make_unique<ElementObj>());
    ASSERT_TRUE(admin().callText("ElementService", "findElementTree", {"-1"}, &tree).succeeded());
    added.set(ElementObj::PID, static_cast<const ElementObj &>(tree.node()).get(ElementObj::ID));
    ASSERT_TRUE(admin().call("ElementService", "addElement", {&added}).succeeded());

    restartServer();
    ElementObj selected;
    ASSERT_TRUE(admin().callText("ElementService", "selectElementObj", {"kept"}, &selected).succeeded());
    EXPECT_EQ(selected.get(ElementObj::Text), local("持久组"));
    EXPECT_FALSE(m_server->bootstrapResult().adminCreated) << "a second start creates no second administrator";
}

namespace {

class DemoSystemTest : public SystemTest
{
protected:
    bool demo() const override { return true; }
};

} // namespace

TEST_F(DemoSystemTest, OnlyAnAdministratorSeesWhereTheDatabaseLies)
{
    auto operatorClient = newClient();
    ASSERT_TRUE(operatorClient->login("operator", "operator").succeeded());
    MtxArray lines;
    lines.setFactory(&domainFactory());
    ASSERT_TRUE(operatorClient->callText(Sys, "findSysStatus", {"4"}, &lines).succeeded());
    std::string database;
    for (const auto &line : lines)
        database += std::string(dynamic_cast<const MtxString &>(*line).getValue()) + "\n";
    // The file's name, or the PostgreSQL database's name without server or user.
    std::string name = m_database.substr(0, m_database.find('?'));
    name = name.substr(name.rfind('/') + 1);
    EXPECT_NE(database.find(local("数据库文件: ") + name + "\n"), std::string::npos) << database;
    EXPECT_EQ(database.find(m_database), std::string::npos) << database;
}
