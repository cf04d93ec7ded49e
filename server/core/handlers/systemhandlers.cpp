#include "orb/wire/codepage.h"
#include "orb/wire/mtxtree.h"
#include "orb/wire/mtxusersession.h"
#include "server/core/call.h"
#include "server/core/handlers/records.h"
#include "server/core/handlers/statusreport.h"
#include "server/core/handlertable.h"
#include "services/types/passwordscrambler.h"
#include "server/core/schema.h"
#include "server/core/serverstate.h"
#include "server/core/setup/bootstrap.h"
#include "services/types/userobj.h"

// "SysService": login and logoff, and the server's own status.
namespace {

constexpr const char *Service = "SysService";

std::unique_ptr<MtxObj> login(Call &call)
{
    const std::string name = call.text(0);
    const std::string password = call.text(1);
    if (name.empty() || password.empty())
        throw Refusal(refusal::LoginFailed, "用户名和密码不能为空");
    LoginThrottle &throttle = call.server().loginThrottle();
    const std::string &peer = call.peer();
    if (auto wait = throttle.wait(peer, name, LoginThrottle::Clock::now()); wait.count() > 0)
        throw Refusal(refusal::LoginFailed, "登录失败次数过多，请" + std::to_string(wait.count()) + "秒后再试");
    auto user = records::find<UserObj>(call.storage(), schema::users, UserObj::LoginName, name);
    std::string stored;
    // An unknown user and a wrong password get the same answer.
    if (!user || !passwordscrambler::apply(user->get(UserObj::Password), user->get(UserObj::EncryptCode), stored)
        || stored != password)
        throw Refusal(refusal::LoginFailed, "用户名或密码错误，请重新输入");
    throttle.succeeded(peer, name);
    call.server().sessions().login(name, peer, call.time());
    call.setLogDetail(orb::fromUtf8("登录成功"));
    auto session = std::make_unique<MtxUserSession>();
    session->setUserName(name);
    session->setSessionKey(ServerState::newId());
    session->objectID().setDisplayString(user->get(UserObj::AllName));
    return session;
}

std::unique_ptr<MtxObj> logoff(Call &call)
{
    call.server().sessions().logoff(call.user(), call.peer());
    call.setLogDetail(orb::fromUtf8("注销"));
    return nullptr;
}

std::unique_ptr<MtxObj> findWatchType(Call &call)
{
    if (call.text(0) != "SysInfo")
        throw Refusal(refusal::NotFound, "没有此监视类型");
    return statusreport::watchTypes();
}

std::unique_ptr<MtxObj> findSysStatus(Call &call)
{
    std::vector<std::string> lines;
    if (!statusreport::lines(call.server(), call.text(0), call.user() == setup::AdminName, lines))
        throw Refusal(refusal::NotFound, "没有此监视类型，请刷新");
    auto list = std::make_unique<MtxArray>();
    for (const std::string &line : lines) {
        std::string local = orb::fromUtf8(line);
        local.resize(orb::fitLength(local, 1023));
        list->append(records::text(local));
    }
    return list;
}

constexpr HandlerEntry table[] = {
    {Service, "login", &login, Access::Login, "登录"},
    {Service, "logoff", &logoff, Access::Write, "注销"},
    {Service, "findWatchType", &findWatchType, Access::Read},
    {Service, "findSysStatus", &findSysStatus, Access::Read},
};

} // namespace

std::span<const HandlerEntry> systemHandlers()
{
    return table;
}
