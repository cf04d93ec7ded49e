#include "orb/net/replycollector.h"

#include <algorithm>

#include "orb/net/mtxreply.h"
#include "orb/wire/codepage.h"

namespace Internal {

namespace {

constexpr std::size_t RootSearchLimit = 64 * 1024;
constexpr std::size_t GrowthFactor = 8;
constexpr std::size_t LargeReply = 64u * 1024 * 1024;

const std::string &busyMessage()
{
    static const std::string message = orb::fromUtf8("服务器忙，请重试！");
    return message;
}

bool endsNameAt(char c)
{
    return c == '>' || c == '/' || c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

void ReplyCollector::append(const char *data, std::size_t length)
{
    // Grows eightfold (twofold past 64 MiB) rather than twofold: a reply of
    // many megabytes is then copied once or twice on its way in, not a dozen
    // times. Room reserved but not yet written costs address space, not memory.
    if (m_text.capacity() - m_text.size() < length) {
        const std::size_t factor = m_text.size() < LargeReply ? GrowthFactor : 2;
        m_text.reserve(std::max(m_text.size() * factor, m_text.size() + length));
    }
    m_text.append(data, length);
    // A reply starts with its root element; text that shows none early on
    // is not searched again and again.
    if (m_closingTag.empty() && m_text.size() - length < RootSearchLimit)
        findRootName();
}

void ReplyCollector::findRootName()
{
    // Skip a declaration, comments and white space before the first element.
    std::size_t open = 0;
    for (;;) {
        open = m_text.find('<', open);
        if (open == std::string::npos || open + 1 >= m_text.size())
            return;
        const char first = m_text[open + 1];
        if (first != '?' && first != '!')
            break;
        ++open;
    }
    std::size_t end = open + 1;
    while (end < m_text.size() && !endsNameAt(m_text[end]))
        ++end;
    if (end == m_text.size() || end == open + 1)
        return; // the name is not whole yet, or there is none
    m_closingTag = "</" + m_text.substr(open + 1, end - open - 1) + ">";
}

bool ReplyCollector::complete() const
{
    const std::size_t size = m_text.size();
    if (m_closingTag.empty() || size < 6)
        return false;
    if (m_text[size - 1] != '>' || m_text[size - 4] != 'r' || m_text[size - 6] != 'o')
        return false;
    return endsWithRoot();
}

bool ReplyCollector::endsWithRoot() const
{
    return !m_closingTag.empty() && m_text.size() >= m_closingTag.size()
        && m_text.compare(m_text.size() - m_closingTag.size(), m_closingTag.size(), m_closingTag) == 0;
}

bool ReplyCollector::looksLikeReply() const
{
    return m_text.size() >= 8 && m_text[m_text.size() - 8] == 'p';
}

void deliverReply(ReplyCollector &collector, bool closedEarly, const char *service, const char *method,
                  MtxReply &reply)
{
    if (collector.text().empty())
        reply.setClientError(service, method, "Server Not return value");
    else if (closedEarly && !collector.hasRoot())
        reply.setClientError(service, method, "Server reply is not well-formed XML");
    else if (closedEarly && !collector.endsWithRoot())
        reply.setClientError(service, method,
                             "Server reply incomplete (" + std::to_string(collector.size()) + " bytes)");
    else if (collector.looksLikeReply()) {
        std::string text = collector.takeText();
        reply.decodeInPlace(text);
    }
    else
        reply.setClientError(service, method, busyMessage());
}

} // namespace Internal
