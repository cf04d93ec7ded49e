#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Collects a reply of the text channels from the pieces a socket delivers
// until the text ends with "</end>", refusing to grow past a size cap.
class ReplyReader
{
public:
    enum class State { Collecting, Complete, Overflow };

    explicit ReplyReader(std::size_t cap = 102400) : m_cap(cap) {}

    // Appends a piece; Complete once the reply ends with "</end>" (later
    // pieces are then ignored), Overflow when it would pass the cap (the
    // reply keeps what fitted).
    State feed(std::string_view piece);

    State state() const { return m_state; }
    const std::string &reply() const { return m_reply; }
    void reset();

private:
    std::size_t m_cap;
    std::string m_reply;
    State m_state = State::Collecting;
};
