#include "server/core/dispatcher.h"

#include <chrono>

#include "orb/wire/codepage.h"
#include "server/core/call.h"
#include "server/core/replywriter.h"
#include "server/core/requestreader.h"
#include "server/core/rights.h"
#include "server/core/schema.h"
#include "server/core/serverlog.h"
#include "server/core/serverstate.h"
#include "server/core/timetext.h"
#include "server/storage/storage.h"
#include "services/types/syslogobj.h"

namespace {

std::string key(std::string_view service, std::string_view method)
{
    std::string text(service);
    text += '\n';
    text += method;
    return text;
}

} // namespace

Dispatcher::Dispatcher(ServerState &server, MtxFactory &factory) : m_server(server), m_factory(factory)
{
    for (auto table : {elementHandlers(), monitorHandlers(), alertRuleHandlers(), alertLogHandlers(), userHandlers(),
                       roleHandlers(), departmentHandlers(), sysLogHandlers(), topologyHandlers(), systemHandlers()})
        for (const HandlerEntry &entry : table)
            m_handlers.emplace(key(entry.service, entry.method), &entry);
}

std::string Dispatcher::refuse(std::string_view code, std::string_view messageUtf8)
{
    return replywriter::exception("", "", code, messageUtf8);
}

std::string Dispatcher::handle(std::string_view requestText, const std::string &peer)
{
    auto started = std::chrono::steady_clock::now();
    auto finish = [&](bool succeeded) {
        m_server.requests().record(succeeded, std::chrono::duration_cast<std::chrono::microseconds>(
                                                  std::chrono::steady_clock::now() - started));
    };

    OrbRequest request;
    std::string error;
    std::string textRefusal;
    if (!requestreader::read(requestText, m_factory, request, error, &textRefusal)) {
        serverlog::info("unreadable request refused: " + error);
        finish(false);
        return replywriter::exception(request.service, request.method, refusal::BadRequest,
                                      textRefusal.empty() ? "请求格式错误，无法解析" : textRefusal);
    }
    request.peer = peer;
    auto found = m_handlers.find(key(request.service, request.method));
    if (found == m_handlers.end()) {
        serverlog::info("unknown method " + orb::toUtf8(request.service) + "." + orb::toUtf8(request.method));
        finish(false);
        return replywriter::exception(request.service, request.method, refusal::UnknownMethod,
                                      "服务器不支持此服务或方法");
    }
    bool succeeded = false;
    std::string reply = run(request, *found->second, peer, succeeded);
    finish(succeeded);
    return reply;
}

std::string Dispatcher::run(const OrbRequest &request, const HandlerEntry &entry, const std::string &peer,
                            bool &succeeded)
{
    const std::string where = orb::toUtf8(request.service) + "." + orb::toUtf8(request.method);
    std::string user = entry.access == Access::Login ? std::string() : request.session;
    std::string caller = request.session;
    if (entry.access == Access::Login && !request.args.empty())
        if (const auto *name = dynamic_cast<const MtxString *>(request.args[0].get()))
            caller = name->getValue();
    const std::string callerLocal = caller;
    caller = orb::toUtf8(caller);
    try {
        if (entry.access != Access::Login && !hasSession(request.session, peer))
            throw Refusal(refusal::NoSession, "未登录或会话已结束，请重新登录");

        auto transaction = m_server.storage().begin(entry.access != Access::Read);
        rights::check(m_server.storage(), request, entry.access, user);
        Call call(m_server, request, user, peer);
        std::unique_ptr<MtxObj> response = entry.handler(call);
        if (entry.access != Access::Read)
            writeOperationLog(request, entry, entry.access == Access::Login ? call.text(0) : user, call.time(),
                              call.logDetail());
        const bool inventoryChanged =
            entry.access == Access::Write
            && (std::string_view(entry.service) == "ElementService" || std::string_view(entry.service) == "AlertService");
        if (inventoryChanged)
            m_server.stampInventoryChange();
        transaction->commit();
        if (inventoryChanged)
            m_server.noteInventoryChange();
        serverlog::debug(where + " by " + caller + ": done");
        succeeded = true;
        return replywriter::response(request.service, request.method, response.get());
    } catch (const Refusal &refused) {
        serverlog::info(where + " by " + caller + " refused: " + refused.what());
        if (entry.access == Access::Login)
            logFailedLogin(callerLocal, peer, refused.what());
        else if (refused.code() == refusal::NoRight || refused.code() == refusal::LoginFailed)
            logRefusal(user, refused.code() == refusal::NoRight ? "权限不足" : "密码验证失败",
                       request.method + ": " + orb::fromUtf8(refused.what()));
        return replywriter::exception(request.service, request.method, refused.code(), refused.what());
    } catch (const StorageError &failure) {
        serverlog::error(where + " failed in the database: " + failure.what());
        return replywriter::exception(request.service, request.method, refusal::StorageFailed,
                                      failure.kind() == StorageError::Unavailable
                                          ? "无法连接数据库，请稍后重试"
                                          : "数据库操作失败，请查看服务器日志");
    } catch (const std::exception &failure) {
        serverlog::error(where + " failed: " + failure.what());
        return replywriter::exception(request.service, request.method, refusal::Internal,
                                      "服务器内部错误，请查看服务器日志");
    }
}

bool Dispatcher::hasSession(const std::string &name, const std::string &peer)
{
    // A session implies its user: deleting a user ends its sessions, and the
    // start ends those of users removed beside the server. One lookup per request.
    return m_server.sessions().has(name, peer);
}

void Dispatcher::writeOperationLog(const OrbRequest &request, const HandlerEntry &entry, const std::string &user,
                                   const std::string &time, const std::string &detail)
{
    SysLogObj record;
    record.set(SysLogObj::ID, ServerState::newId());
    record.setTruncated(SysLogObj::Type, orb::fromUtf8(entry.access == Access::Login ? "登录" : "操作"));
    record.setTruncated(SysLogObj::Date, time);
    record.setTruncated(SysLogObj::User, user);
    record.setTruncated(SysLogObj::Title, orb::fromUtf8(entry.logTitle ? entry.logTitle : entry.method));
    record.setTruncated(SysLogObj::Description, detail.empty() ? request.method : detail);
    m_server.storage().insert(schema::sysLogs, record);
}

void Dispatcher::logFailedLogin(const std::string &user, const std::string &peer, const std::string &reasonUtf8)
{
    // A burst of failures is one row with its count.
    std::size_t count = 0;
    if (!m_server.loginThrottle().failed(peer, user, LoginThrottle::Clock::now(), count))
        return;
    std::string description = reasonUtf8;
    if (count > 1)
        description += "（连续失败 " + std::to_string(count) + " 次）";
    logRefusal(user, "登录失败", orb::fromUtf8(description));
}

void Dispatcher::logRefusal(const std::string &user, const char *titleUtf8, const std::string &detail)
{
    try {
        auto transaction = m_server.storage().begin(true);
        SysLogObj record;
        record.set(SysLogObj::ID, ServerState::newId());
        record.setTruncated(SysLogObj::Type, orb::fromUtf8("安全"));
        record.setTruncated(SysLogObj::Date, timetext::now());
        record.setTruncated(SysLogObj::User, user);
        record.setTruncated(SysLogObj::Title, orb::fromUtf8(titleUtf8));
        record.setTruncated(SysLogObj::Description, detail);
        m_server.storage().insert(schema::sysLogs, record);
        transaction->commit();
    } catch (const std::exception &failure) {
        serverlog::error(std::string("cannot record a refusal in the operation log: ") + failure.what());
    }
}
