#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

#include "orb/wire/codepage.h"

// A NUL-terminated text field of N bytes in the code page: it holds at most
// N-1 bytes, like the char[N] fields of the wire records.
template <std::size_t N>
class FixedText
{
    static_assert(N > 1, "a text field needs room for its terminator");

public:
    static constexpr std::size_t capacity = N - 1;

    FixedText() = default;
    FixedText(std::string_view text) { assignTruncated(text); }

    // Stores text when it fits; returns false and keeps the old value otherwise.
    bool assign(std::string_view text)
    {
        if (text.size() > capacity)
            return false;
        store(text);
        return true;
    }

    // Stores as much of text as fits, cut after the last whole character.
    void assignTruncated(std::string_view text)
    {
        store(text.size() <= capacity ? text : text.substr(0, orb::fitLength(text, capacity)));
    }

    void clear() { store({}); }

    const char *c_str() const { return m_data; }
    std::string_view view() const { return {m_data, std::strlen(m_data)}; }
    std::string str() const { return std::string(view()); }
    bool empty() const { return m_data[0] == '\0'; }

    bool operator==(std::string_view other) const { return view() == other; }

private:
    void store(std::string_view text)
    {
        // Only the terminator follows the text: readers stop there, and wire
        // objects store tens of thousands of fields per reply.
        if (!text.empty())
            std::memcpy(m_data, text.data(), text.size());
        m_data[text.size()] = '\0';
    }

    char m_data[N] = {};
};
