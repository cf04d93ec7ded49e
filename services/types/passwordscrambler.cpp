#include "services/types/passwordscrambler.h"

#include <algorithm>
#include <array>
#include <random>
#include <utility>

#include "orb/wire/codepage.h"

namespace passwordscrambler {

namespace {

unsigned char swapBits(unsigned char byte, int a, int b)
{
    if (((byte >> a) & 1u) != ((byte >> b) & 1u))
        byte ^= static_cast<unsigned char>((1u << a) | (1u << b));
    return byte;
}

using Pair = std::pair<int, int>;

// The 42 ordered pairs of different digits, shuffled by the random source.
std::array<Pair, 42> shuffledPairs(std::random_device &random)
{
    std::array<Pair, 42> pairs;
    std::size_t n = 0;
    for (int a = 0; a < 7; ++a)
        for (int b = 0; b < 7; ++b)
            if (a != b)
                pairs[n++] = {a, b};
    std::shuffle(pairs.begin(), pairs.end(), std::mt19937(random()));
    return pairs;
}

// The length of the character that starts at text[i] (1 or 2 bytes).
std::size_t characterLength(std::string_view text, std::size_t i)
{
    if (static_cast<unsigned char>(text[i]) < 0x80 || i + 1 >= text.size())
        return 1;
    return orb::fitLength(text.substr(i, 2), 2) == 2 && isCleanText(text.substr(i, 2)) ? 2 : 1;
}

// Two different bits of byte that are equal, so exchanging them changes nothing.
std::string identityPair(unsigned char byte)
{
    for (int a = 0; a < 7; ++a)
        for (int b = a + 1; b < 7; ++b)
            if (((byte >> a) & 1u) == ((byte >> b) & 1u))
                return {char('0' + a), char('0' + b)};
    return "01"; // unreachable: seven bits always hold two equal ones
}

} // namespace

bool isCleanText(std::string_view text)
{
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f)
            return false;
    }
    return orb::fromUtf8(orb::toUtf8(text)) == text;
}

std::string makeKey(std::string_view password)
{
    if (password.size() > MaxPasswordBytes)
        return {};
    std::random_device random;
    std::string key;
    key.reserve(password.size() * 2);
    // Character by character: the pairs of a double-byte character are drawn
    // together, since only the whole character can be checked. Some pair always
    // leaves a byte as it is (two of its seven low bits are equal), so a valid
    // choice exists for any valid password and the search ends.
    for (std::size_t i = 0; i < password.size();) {
        std::size_t length = characterLength(password, i);
        std::string_view original = password.substr(i, length);
        bool found = false;
        auto first = shuffledPairs(random);
        auto second = shuffledPairs(random);
        for (std::size_t p = 0; p < first.size() && !found; ++p) {
            for (std::size_t q = 0; q < (length == 2 ? second.size() : 1) && !found; ++q) {
                std::string scrambled(original);
                scrambled[0] = char(swapBits(static_cast<unsigned char>(scrambled[0]), first[p].first, first[p].second));
                if (length == 2)
                    scrambled[1] = char(swapBits(static_cast<unsigned char>(scrambled[1]), second[q].first, second[q].second));
                // A lone byte of 0x80 and above cannot be clean on its own; keep it
                // at least within the same class of bytes.
                bool clean = length == 2 || static_cast<unsigned char>(original[0]) < 0x80
                                 ? isCleanText(scrambled)
                                 : static_cast<unsigned char>(scrambled[0]) > 0x80 && static_cast<unsigned char>(scrambled[0]) < 0xff;
                if (!clean)
                    continue;
                found = true;
                key += char('0' + first[p].first);
                key += char('0' + first[p].second);
                if (length == 2) {
                    key += char('0' + second[q].first);
                    key += char('0' + second[q].second);
                }
            }
        }
        if (!found) // not valid text to begin with: leave the bytes as they are
            for (char c : original)
                key += identityPair(static_cast<unsigned char>(c));
        i += length;
    }
    return key;
}

bool apply(std::string_view text, std::string_view key, std::string &out)
{
    if (key.size() < text.size() * 2)
        return false;
    std::string result(text);
    for (std::size_t i = 0; i < result.size(); ++i) {
        int a = key[2 * i] - '0';
        int b = key[2 * i + 1] - '0';
        if (a < 0 || a > 6 || b < 0 || b > 6)
            return false;
        result[i] = static_cast<char>(swapBits(static_cast<unsigned char>(result[i]), a, b));
    }
    out = std::move(result);
    return true;
}

bool scramble(std::string_view password, std::string &key, std::string &scrambled)
{
    if (password.size() > MaxPasswordBytes)
        return false;
    key = makeKey(password);
    return apply(password, key, scrambled);
}

} // namespace passwordscrambler
