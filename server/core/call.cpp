#include "server/core/call.h"

#include "server/core/serverstate.h"
#include "server/core/timetext.h"

Call::Call(ServerState &server, const OrbRequest &request, std::string user, std::string peer)
    : m_server(server), m_request(request), m_user(std::move(user)), m_peer(std::move(peer)), m_time(timetext::now())
{
}

Storage &Call::storage() const
{
    return m_server.storage();
}

const MtxObj *Call::argument(int index) const
{
    if (index < 0 || std::size_t(index) >= m_request.args.size())
        throw Refusal(refusal::BadRequest, "请求缺少第" + std::to_string(index + 1) + "个参数");
    return m_request.args[std::size_t(index)].get();
}

std::string Call::wrongType(int index, const char *expected) const
{
    return "第" + std::to_string(index + 1) + "个参数应为" + expected;
}

std::string Call::text(int index) const
{
    if (const auto *value = dynamic_cast<const MtxString *>(argument(index)))
        return value->getValue();
    throw Refusal(refusal::BadRequest, wrongType(index, "Orb.MtxString"));
}

const MtxArray &Call::array(int index) const
{
    if (const auto *value = dynamic_cast<const MtxArray *>(argument(index)))
        return *value;
    throw Refusal(refusal::BadRequest, wrongType(index, "Orb.MtxArray"));
}
