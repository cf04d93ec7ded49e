#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <random>

#include "orb/net/mtxrequest.h"
#include "orb/wire/codepage.h"
#include "orb/wire/mtxarray.h"
#include "orb/wire/mtxstring.h"
#include "server/core/timetext.h"
#include "services/types/departmentobj.h"
#include "services/types/passwordscrambler.h"
#include "services/types/roleobj.h"
#include "services/types/syslogobj.h"
#include "services/types/tablefactory.h"
#include "services/types/userobj.h"
#include "testsupport/servertest.h"
#include "testsupport/testdatabase.h"

// The server's enforcement of sessions and function-module rights, against
// the demo data (admin holds every module; "operator" only views 1000, 1002
// and 1003).
namespace {

constexpr const char *Security = "SecurityService";

class AccessTest : public ServerTest
{
protected:
    bool demo() const override { return true; }
    ServerOptions options() const override
    {
        ServerOptions options = ServerTest::options();
        options.maxLogRows = 40;
        return options;
    }

    std::unique_ptr<TestClient> loggedIn(const char *user, const char *password)
    {
        auto client = newClient();
        MtxStatus status = client->login(user, password);
        EXPECT_TRUE(status.succeeded()) << user << ": " << messageOf(status);
        return client;
    }

    // One request as session user, sent from the loopback address source
    // (not the 127.0.0.1 the test clients use); the reply text.
    std::string sendFrom(const char *source, const char *user, const char *service, const char *method,
                         const std::string &argument)
    {
        MtxString text(argument.c_str());
        MtxRequest request(service, method, {&text});
        request.setSessionID(user);
        std::string body;
        request.write(body);
        const std::string bytes = MtxRequest::frame(body);

        int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in local{}, server{};
        local.sin_family = server.sin_family = AF_INET;
        ::inet_pton(AF_INET, source, &local.sin_addr);
        ::inet_pton(AF_INET, "127.0.0.1", &server.sin_addr);
        server.sin_port = htons(std::uint16_t(m_server->port()));
        std::string reply;
        if (::bind(fd, reinterpret_cast<sockaddr *>(&local), sizeof local) == 0
            && ::connect(fd, reinterpret_cast<sockaddr *>(&server), sizeof server) == 0
            && ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == ssize_t(bytes.size())) {
            char buffer[4096];
            for (int reads = 0; reads < 200; ++reads) { // bounded: 200 reads of at most 50 ms
                pollfd wait{fd, POLLIN, 0};
                if (::poll(&wait, 1, 50) <= 0)
                    continue;
                ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
                if (got <= 0)
                    break;
                reply.append(buffer, std::size_t(got));
            }
        }
        ::close(fd);
        return reply;
    }

    std::string today()
    {
        const std::string now = timetext::now();
        return now.substr(0, now.find(' '));
    }

    int logTitled(const char *title)
    {
        MtxArray log;
        log.setFactory(&domainFactory());
        // All of today's rows may pass the cap of 40; a title is counted in the
        // rows of today only while they fit.
        EXPECT_TRUE(admin().callText(Security, "selectSysLogArray", {today(), today()}, &log).succeeded());
        int count = 0;
        for (const auto &item : log)
            count += static_cast<const SysLogObj &>(*item).get(SysLogObj::Title) == local(title);
        return count;
    }
};

UserObj newUser(const std::string &login, const std::string &department)
{
    UserObj record;
    std::string key, scrambled;
    passwordscrambler::scramble("pw", key, scrambled);
    record.set(UserObj::LoginName, login);
    record.set(UserObj::AllName, local("新用户"));
    record.set(UserObj::Password, scrambled);
    record.set(UserObj::EncryptCode, key);
    record.set(UserObj::RoleName, local("值班员"));
    record.set(UserObj::DepartmentID, department);
    return record;
}

} // namespace

TEST_F(AccessTest, ASessionHoldsOnlyFromLoginToLogoffForTheAddressThatLoggedIn)
{
    auto early = newClient();
    early->actAs("admin");
    EXPECT_STREQ(early->callText(Security, "selectUser", {"admin"}).getCode(), "NO_SESSION") << "no login yet";

    auto first = loggedIn("admin", AdminPassword);
    EXPECT_TRUE(early->callText(Security, "selectUser", {"admin"}).succeeded())
        << "the address that logged in is served (the protocol carries no more than the name)";
    std::string fromElsewhere = sendFrom("127.0.0.2", "admin", Security, "selectUser", "admin");
    EXPECT_NE(fromElsewhere.find("NO_SESSION"), std::string::npos) << fromElsewhere;
    EXPECT_NE(sendFrom("127.0.0.1", "admin", Security, "selectUser", "admin").find("<LoginName>admin"), std::string::npos)
        << "the same raw request from the logged-in address passes";

    restartServer();
    auto after = newClient();
    after->actAs("admin");
    EXPECT_TRUE(after->callText(Security, "selectUser", {"admin"}).succeeded()) << "sessions survive a restart";
    auto again = loggedIn("admin", AdminPassword); // a re-login from the same address
    MtxUserSession session;
    session.setUserName("admin");
    ASSERT_TRUE(after->call("SysService", "logoff", {&session}).succeeded());
    EXPECT_STREQ(after->callText(Security, "selectUser", {"admin"}).getCode(), "NO_SESSION")
        << "one logoff ends the session, re-logins or not";
}

// A session ends with its user: deleted through the server, or removed
// beside it while it was down.
TEST_F(AccessTest, ASessionEndsWithItsUser)
{
    UserObj leaver = newUser("leaver", "");
    ASSERT_TRUE(admin().call(Security, "addUser", {&leaver}).succeeded());
    auto gone = loggedIn("leaver", "pw");
    ASSERT_TRUE(admin().callText(Security, "deleteUser", {"leaver"}).succeeded());
    EXPECT_STREQ(gone->callText(Security, "selectUser", {"leaver"}).getCode(), "NO_SESSION");

    loggedIn("operator", "operator");
    m_admin.reset(); // its session, made above, stays in the database
    stopServer();
    testdatabase::execute(m_database, "DELETE FROM users WHERE \"LoginName\" = 'operator'");
    startServer();
    auto client = newClient();
    client->actAs("operator");
    EXPECT_STREQ(client->callText(Security, "selectUser", {"admin"}).getCode(), "NO_SESSION");
    client->actAs("admin");
    EXPECT_TRUE(client->callText(Security, "selectUser", {"admin"}).succeeded()) << "other sessions are kept";
}

TEST_F(AccessTest, OperatorIsRefusedEveryChangeAndNeverSeesAPassword)
{
    auto op = loggedIn("operator", "operator");
    MtxArray departments;
    departments.setFactory(&domainFactory());
    UserObj self;
    ASSERT_TRUE(op->callText(Security, "selectUser", {"operator"}, &self).succeeded()) << "own record";
    const std::string dept = self.get(UserObj::DepartmentID);
    EXPECT_EQ(self.get(UserObj::Password), "");
    EXPECT_EQ(self.get(UserObj::EncryptCode), "");

    UserObj added = newUser("intruder", dept);
    DepartmentObj department;
    department.set(DepartmentObj::ID, "d-new");
    department.set(DepartmentObj::AllName, "x");
    department.set(DepartmentObj::ParentID, "-1");
    department.set(DepartmentObj::Description, "x");
    MtxArray rows;
    auto row = std::make_unique<RoleObj>();
    row->set(RoleObj::Code, "100201");
    row->set(RoleObj::RoleName, local("值班员"));
    rows.append(std::move(row));
    const std::vector<std::pair<const char *, MtxStatus>> changes = {
        {"addUser", op->call(Security, "addUser", {&added})},
        {"deleteUser", op->callText(Security, "deleteUser", {"admin"})},
        {"checkUserRepeat", op->callText(Security, "checkUserRepeat", {"x"})},
        {"updateUserRole", op->callText(Security, "updateUserRole", {local("系统管理员"), local("值班员")})},
        {"addRoleArray", op->call(Security, "addRoleArray", {&rows})},
        {"deleteRole", op->callText(Security, "deleteRole", {local("系统管理员")})},
        {"addDept", op->call(Security, "addDept", {&department})},
        {"updateDept", op->call(Security, "updateDept", {&department})},
        {"deleteDept", op->callText(Security, "deleteDept", {dept})},
        {"deleteSysLogArray", op->callText(Security, "deleteSysLogArray", {"2000-1-1", today()})},
        {"selectRoleArray", op->callText(Security, "selectRoleArray", {local("系统管理员")})},
        {"findFMTree", op->callText(Security, "findFMTree", {"-1"})},
    };
    for (const auto &[method, status] : changes)
        EXPECT_EQ(messageOf(status), "NO_RIGHT 没有此模块权限!") << method;

    MtxArray users;
    users.setFactory(&domainFactory());
    ASSERT_TRUE(op->callText(Security, "selectUserArray", {"-1"}, &users).succeeded()) << "view right 1002";
    ASSERT_GE(users.size(), 2u);
    for (const auto &item : users) {
        EXPECT_EQ(static_cast<const UserObj &>(*item).get(UserObj::Password), "");
        EXPECT_EQ(static_cast<const UserObj &>(*item).get(UserObj::EncryptCode), "");
    }
    UserObj adminRecord;
    ASSERT_TRUE(op->callText(Security, "selectUser", {"admin"}, &adminRecord).succeeded());
    EXPECT_EQ(adminRecord.get(UserObj::Password), "") << "no modify right, no password";
    MtxArray ownRole;
    ownRole.setFactory(&domainFactory());
    EXPECT_TRUE(op->callText(Security, "selectRoleArray", {local("值班员")}, &ownRole).succeeded()) << "own role";
    EXPECT_EQ(ownRole.size(), 3u);

    EXPECT_EQ(logTitled("权限不足"), int(changes.size())) << "each refusal is in the operation log";

    // Admin may do all of it, sees passwords with the modify right, and the
    // user it made is listed without one.
    ASSERT_TRUE(admin().call(Security, "addUser", {&added}).succeeded());
    UserObj stored;
    ASSERT_TRUE(admin().callText(Security, "selectUser", {"intruder"}, &stored).succeeded());
    EXPECT_EQ(stored.get(UserObj::Password), added.get(UserObj::Password));
    ASSERT_TRUE(admin().callText(Security, "deleteUser", {"intruder"}).succeeded());
}

TEST_F(AccessTest, SelfDeleteIsRefusedAndPasswordsChangeOnlyWithTheOldOne)
{
    EXPECT_STREQ(admin().callText(Security, "deleteUser", {"admin"}).getCode(), "REFUSED");

    auto op = loggedIn("operator", "operator");
    EXPECT_EQ(messageOf(op->callText(Security, "changePassword", {"operator", "wrong", "n3w"})),
              "LOGIN_FAILED 旧密码不正确，请重新输入！");
    EXPECT_EQ(logTitled("密码验证失败"), 1) << "a wrong old password is logged";
    EXPECT_STREQ(op->callText(Security, "changePassword", {"admin", AdminPassword, "n3w"}).getCode(), "NO_RIGHT")
        << "only one's own password";
    EXPECT_STREQ(op->callText(Security, "changePassword", {"operator", "operator", std::string(32, 'x')}).getCode(),
                 "BAD_REQUEST")
        << "longer than the key field can hold";
    ASSERT_TRUE(op->callText(Security, "changePassword", {"operator", "operator", local("新密码")}).succeeded());
    EXPECT_STREQ(newClient()->login("operator", "operator").getCode(), "LOGIN_FAILED");
    EXPECT_TRUE(newClient()->login("operator", local("新密码")).succeeded());
}

TEST_F(AccessTest, AnOperationLogQueryBeyondTheRowCapIsRefused)
{
    MtxArray log;
    log.setFactory(&domainFactory());
    ASSERT_TRUE(admin().callText(Security, "selectSysLogArray", {today(), today()}, &log).succeeded());
    for (int i = 0; i < 45; ++i)
        admin().callText(Security, "checkRoleRepeat", {"x"}); // reads write no log; logins do
    for (int i = 0; i < 45; ++i)
        newClient()->login("admin", AdminPassword);
    EXPECT_EQ(messageOf(admin().callText(Security, "selectSysLogArray", {today(), today()})),
              "REFUSED 日志超过40条，请缩小日期范围");
}

// Passwords of printable ASCII and Chinese characters, scrambled with fresh
// keys as the user dialog does, all log in after the trip through the wire.
TEST_F(AccessTest, RandomScrambledPasswordsLogIn)
{
    UserObj self;
    ASSERT_TRUE(admin().callText(Security, "selectUser", {"admin"}, &self).succeeded());
    const std::string chinese = local("网络运维平台管理员密码测试");
    std::mt19937 random(4242);
    std::uniform_int_distribution<int> length(1, 10), printable(0x21, 0x7e), kind(0, 2),
        pick(0, int(chinese.size() / 2) - 1);
    for (int round = 0; round < 60; ++round) {
        std::string password;
        for (int i = length(random); i > 0 && password.size() + 2 <= passwordscrambler::MaxPasswordBytes; --i)
            password += kind(random) == 0 ? chinese.substr(std::size_t(pick(random)) * 2, 2)
                                          : std::string(1, char(printable(random)));
        const std::string login = "u" + std::to_string(round);
        UserObj record = newUser(login, self.get(UserObj::DepartmentID));
        std::string key, scrambled;
        ASSERT_TRUE(passwordscrambler::scramble(password, key, scrambled));
        record.set(UserObj::Password, scrambled);
        record.set(UserObj::EncryptCode, key);
        ASSERT_TRUE(admin().call(Security, "addUser", {&record}).succeeded()) << login;
        EXPECT_TRUE(newClient()->login(login, password).succeeded()) << orb::toUtf8(password) << " key " << key;
    }
}
