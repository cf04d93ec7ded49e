#pragma once

#include <cstddef>
#include <string>
#include <utility>

class MtxReply;

namespace Internal {

// Gathers the pieces of one reply and tells when it is complete: the text
// ends with the closing tag of the element it began with, and that tag passes
// the classic end test (last byte '>', fourth from the end 'r', sixth 'o').
class ReplyCollector
{
public:
    void append(const char *data, std::size_t length);
    bool complete() const;
    // The reply test: the eighth byte from the end is the 'p' of "</pro-rep>".
    bool looksLikeReply() const;
    // True once the text showed the name of its first element.
    bool hasRoot() const { return !m_closingTag.empty(); }
    // True when the text ends with the closing tag of its first element,
    // whatever the classic end test says.
    bool endsWithRoot() const;
    const std::string &text() const { return m_text; }
    // Hands the collected text over (for decoding in place); the collector is
    // left empty.
    std::string takeText() { return std::move(m_text); }
    std::size_t size() const { return m_text.size(); }

private:
    // Finds the name of the first element once enough text has arrived.
    void findRootName();

    std::string m_text;
    std::string m_closingTag;
};

// Hands a collected reply to reply: decoded when it passes the reply test,
// otherwise the client error that says what was wrong with it. closedEarly:
// the server closed the connection before the reply was complete.
void deliverReply(ReplyCollector &collector, bool closedEarly, const char *service, const char *method,
                  MtxReply &reply);

} // namespace Internal
