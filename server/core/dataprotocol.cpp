#include "server/core/dataprotocol.h"

#include "orb/textframe/textframe.h"
#include "server/core/handlers/historyreport.h"

requestreader::Frame DataProtocol::frame(std::string_view received, std::size_t)
{
    return requestreader::textFrame(received, {"DR"}, MaxPayload, false);
}

std::string DataProtocol::handle(std::string_view request, const std::string &)
{
    textframe::Header header;
    textframe::parseHeader(request, header);
    // Bytes after the announced payload are not part of the request.
    return historyreport::answer(m_server, request.substr(textframe::HeaderSize, header.length));
}

std::string DataProtocol::refuse(Problem problem)
{
    switch (problem) {
    case Problem::TooLarge:
    case Problem::Malformed:
        return historyreport::error("请求不是有效的 DR 帧(长度至多1018字节)");
    case Problem::TimedOut:
        return historyreport::error("请求发送超时，请重试");
    case Problem::Busy:
        break;
    }
    return historyreport::error("服务器忙，请稍后重试");
}

ConnectionLimits DataProtocol::limits(const ConnectionLimits &base)
{
    ConnectionLimits limits = base;
    limits.maxRequestBytes = textframe::HeaderSize + MaxPayload;
    limits.idleTimeout = std::chrono::minutes(1);
    return limits;
}
