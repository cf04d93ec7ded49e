#include "orb/net/replytext.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "orb/wire/codepage.h"

namespace Internal {

namespace {

bool isAscii(char c)
{
    return static_cast<unsigned char>(c) < 0x80;
}

// The index of the first non-ASCII byte at or after at, or size; eight bytes
// at a time, since most of a reply is ASCII.
std::size_t nextNonAscii(std::string_view text, std::size_t at)
{
    constexpr std::uint64_t HighBits = 0x8080808080808080ull;
    const std::size_t size = text.size();
    while (at + 8 <= size) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + at, sizeof word);
        if (word & HighBits)
            break;
        at += 8;
    }
    while (at < size && isAscii(text[at]))
        ++at;
    return at;
}

// Separates the stretches in the batch given to the converter. NUL converts
// to itself in every ASCII-compatible code page and never occurs inside a
// converted multi-byte character.
constexpr char Separator = '\0';

} // namespace

std::string replyToUtf8(std::string_view text)
{
    // Stretches of non-ASCII characters: from a byte >= 0x80 up to the next
    // ASCII byte that begins a character. In the double-byte code pages a
    // lead byte always takes the following byte with it; in single-byte ones
    // an ASCII byte taken along converts to itself.
    struct Stretch
    {
        std::size_t begin;
        std::size_t end;
    };
    std::vector<Stretch> stretches;
    std::string batch;
    const std::size_t size = text.size();
    for (std::size_t at = nextNonAscii(text, 0); at < size; at = nextNonAscii(text, at)) {
        const std::size_t begin = at;
        while (at < size && !isAscii(text[at]))
            at += 2;
        at = std::min(at, size);
        stretches.push_back({begin, at});
        batch.append(text.substr(begin, at - begin)).push_back(Separator);
    }
    if (stretches.empty())
        return std::string(text);

    const std::string converted = orb::toUtf8(batch);
    std::string out;
    out.reserve(size + converted.size());
    std::size_t copied = 0;
    std::size_t from = 0;
    for (const Stretch &stretch : stretches) {
        const std::size_t separator = converted.find(Separator, from);
        if (separator == std::string::npos)
            return orb::toUtf8(text); // a stray NUL in the text: convert it whole
        out.append(text.substr(copied, stretch.begin - copied));
        out.append(converted, from, separator - from);
        copied = stretch.end;
        from = separator + 1;
    }
    if (converted.find(Separator, from) != std::string::npos)
        return orb::toUtf8(text);
    out.append(text.substr(copied));
    return out;
}

} // namespace Internal
