#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "orb/wire/keelexport.h"

namespace orb {

// A text that could not be kept as it was sent.
struct KEEL_EXPORT TextFault
{
    enum class Kind {
        TooLong,      // longer than the bytes its field holds
        NulCharacter, // a character reference to NUL, which would end the text there
        Unstorable,   // a character reference the code page has no bytes for
        InvalidBytes, // bytes that are no character of the code page
    };
    Kind kind;
    std::string element;    // the element holding the text, in the code page
    std::size_t limit = 0;  // TooLong: the bytes the field holds
    char32_t character = 0; // Unstorable: the character referred to

    // Says which field and why ("字段 Text 超过 127 字节"), in UTF-8 and
    // short enough for the 63 bytes a client keeps of a message.
    std::string messageUtf8() const;
};

// While one lives on a thread, the XML parsing and the wire readers on that
// thread note every text they cannot keep whole, besides cutting or dropping
// it as they always do. A caller that must not store a cut text (the server
// reading a request) refuses when faults() is not empty; readers outside such
// a scope behave exactly as before.
class KEEL_EXPORT StrictReading
{
public:
    // At most this many faults are kept: the first one is what callers report.
    static constexpr std::size_t MaxKept = 16;

    StrictReading();
    ~StrictReading();
    StrictReading(const StrictReading &) = delete;
    StrictReading &operator=(const StrictReading &) = delete;

    bool clean() const { return m_faults.empty(); }
    const std::vector<TextFault> &faults() const { return m_faults; }

    // The innermost scope of this thread, or null.
    static StrictReading *current();
    void note(TextFault fault);

private:
    StrictReading *m_outer;
    std::vector<TextFault> m_faults;
};

} // namespace orb
