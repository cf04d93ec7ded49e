#include "orb/textframe/replyreader.h"

#include "orb/textframe/textframe.h"

ReplyReader::State ReplyReader::feed(std::string_view piece)
{
    if (m_state != State::Collecting)
        return m_state;
    if (piece.size() > m_cap - m_reply.size()) {
        m_reply.append(piece.substr(0, m_cap - m_reply.size()));
        return m_state = State::Overflow;
    }
    m_reply.append(piece);
    if (m_reply.ends_with(textframe::EndMark))
        m_state = State::Complete;
    return m_state;
}

void ReplyReader::reset()
{
    m_reply.clear();
    m_state = State::Collecting;
}
