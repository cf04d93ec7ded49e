#include "orb/wire/codepagetable_p.h"

#include <cstring>

#include <iconv.h>

namespace orb::Internal {
namespace {

constexpr char32_t NoCharacter = 0;

// Converts one short sequence with an open descriptor; false when iconv does
// not take all of it.
bool convertWhole(iconv_t cd, const void *in, std::size_t inSize, void *out, std::size_t &outSize)
{
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char *src = static_cast<char *>(const_cast<void *>(in));
    char *dst = static_cast<char *>(out);
    std::size_t srcLeft = inSize;
    std::size_t dstLeft = outSize;
    if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == std::size_t(-1) || srcLeft != 0)
        return false;
    outSize -= dstLeft;
    return true;
}

char32_t decodeWithIconv(iconv_t cd, const unsigned char *bytes, std::size_t count)
{
    char32_t codePoint = NoCharacter;
    std::size_t outSize = sizeof codePoint;
    if (!convertWhole(cd, bytes, count, &codePoint, outSize) || outSize != sizeof codePoint)
        return NoCharacter;
    return codePoint;
}

// Writes cp as UTF-8 at out and returns the end of what it wrote.
char *writeUtf8(char *out, char32_t cp)
{
    if (cp < 0x80) {
        *out++ = char(cp);
    } else if (cp < 0x800) {
        *out++ = char(0xC0 | (cp >> 6));
        *out++ = char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *out++ = char(0xE0 | (cp >> 12));
        *out++ = char(0x80 | ((cp >> 6) & 0x3F));
        *out++ = char(0x80 | (cp & 0x3F));
    } else {
        *out++ = char(0xF0 | (cp >> 18));
        *out++ = char(0x80 | ((cp >> 12) & 0x3F));
        *out++ = char(0x80 | ((cp >> 6) & 0x3F));
        *out++ = char(0x80 | (cp & 0x3F));
    }
    return out;
}

// Copies the run of ASCII bytes that starts at text[at] to write and returns
// the index after it; eight bytes at a time, since most text is ASCII.
std::size_t copyAsciiRun(std::string_view text, std::size_t at, char *&write)
{
    const std::size_t start = at;
    const std::size_t size = text.size();
    while (at + 8 <= size) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + at, sizeof word);
        if (word & 0x8080808080808080ull)
            break;
        at += 8;
    }
    while (at < size && static_cast<unsigned char>(text[at]) < 0x80)
        ++at;
    std::memcpy(write, text.data() + start, at - start);
    write += at - start;
    return at;
}

// The code point of the UTF-8 sequence at text[at] and its length; length 0
// when the bytes there are not a valid sequence.
char32_t readUtf8(std::string_view text, std::size_t at, std::size_t &length)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t count;
    char32_t cp;
    if (lead < 0x80) {
        length = 1;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        count = 2;
        cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        count = 3;
        cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        count = 4;
        cp = lead & 0x07;
    } else {
        length = 0;
        return NoCharacter;
    }
    if (at + count > text.size()) {
        length = 0;
        return NoCharacter;
    }
    for (std::size_t i = 1; i < count; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) {
            length = 0;
            return NoCharacter;
        }
        cp = (cp << 6) | (next & 0x3F);
    }
    static constexpr char32_t Smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < Smallest[count] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        length = 0;
        return NoCharacter;
    }
    length = count;
    return cp;
}

} // namespace

CodePageTable::CodePageTable(const char *pageName, bool doubleByte) : m_pageName(pageName)
{
    iconv_t decoder = iconv_open("UTF-32LE", pageName);
    iconv_t encoder = iconv_open(pageName, "UTF-32LE");
    if (decoder == iconv_t(-1) || encoder == iconv_t(-1)) {
        if (decoder != iconv_t(-1))
            iconv_close(decoder);
        if (encoder != iconv_t(-1))
            iconv_close(encoder);
        return;
    }
    if (doubleByte)
        m_pairs.assign(128 * 256, NoCharacter);
    m_encode.assign(0x10000, 0);

    // Records bytes as the encoding of cp; when two byte sequences decode to
    // the same character, iconv's own choice decides which one is written.
    auto addEncoding = [&](char32_t cp, std::uint16_t bytes) {
        if (cp >= 0x10000)
            return;
        if (m_encode[cp] == 0) {
            m_encode[cp] = bytes;
            return;
        }
        unsigned char out[4];
        std::size_t outSize = sizeof out;
        if (convertWhole(encoder, &cp, sizeof cp, out, outSize))
            m_encode[cp] = outSize == 1 ? out[0] : std::uint16_t(out[0] << 8 | out[1]);
    };

    for (unsigned byte = 0x80; byte <= 0xFF; ++byte) {
        const unsigned char single = static_cast<unsigned char>(byte);
        if (char32_t cp = decodeWithIconv(decoder, &single, 1); cp != NoCharacter) {
            m_singles[byte - 0x80] = cp;
            addEncoding(cp, std::uint16_t(byte));
            continue;
        }
        if (!doubleByte || byte < 0x81 || byte > 0xFE)
            continue;
        for (unsigned trail = 0x21; trail <= 0xFF; ++trail) {
            const unsigned char pair[2] = {single, static_cast<unsigned char>(trail)};
            if (char32_t cp = decodeWithIconv(decoder, pair, 2); cp != NoCharacter) {
                m_pairs[(std::size_t(byte - 0x80) << 8) | trail] = cp;
                addEncoding(cp, std::uint16_t(byte << 8 | trail));
            }
        }
    }
    iconv_close(decoder);
    iconv_close(encoder);
    m_usable = true;
}

void CodePageTable::toUtf8(std::string &out, std::string_view local) const
{
    // A character of one or two bytes never takes more than three in UTF-8.
    out.resize(local.size() * 3);
    char *const begin = out.data();
    char *write = begin;
    const std::size_t size = local.size();
    std::size_t at = 0;
    while (at < size) {
        at = copyAsciiRun(local, at, write);
        if (at == size)
            break;
        const auto lead = static_cast<unsigned char>(local[at]);
        if (char32_t cp = m_singles[lead - 0x80]; cp != NoCharacter) {
            write = writeUtf8(write, cp);
            at += 1;
        } else if (!m_pairs.empty() && at + 1 < size) {
            const char32_t pairCp = decodePair(lead, static_cast<unsigned char>(local[at + 1]));
            if (pairCp != NoCharacter) {
                write = writeUtf8(write, pairCp);
                at += 2;
            } else {
                at += 1; // not a character: drop the lead byte
            }
        } else {
            at += 1; // an incomplete or unknown character is dropped
        }
    }
    out.resize(std::size_t(write - begin));
}

bool CodePageTable::fromUtf8(std::string &out, std::string_view utf8) const
{
    // Every character of the page takes at most as many bytes as in UTF-8.
    out.resize(utf8.size());
    char *const begin = out.data();
    char *write = begin;
    const std::size_t size = utf8.size();
    std::size_t at = 0;
    while (at < size) {
        at = copyAsciiRun(utf8, at, write);
        if (at == size)
            break;
        std::size_t length = 0;
        const char32_t cp = readUtf8(utf8, at, length);
        if (length == 0) {
            at += 1; // not UTF-8: drop the byte
            continue;
        }
        const std::uint16_t bytes = cp < 0x10000 ? m_encode[cp] : 0;
        if (bytes == 0)
            return false;
        if (bytes > 0xFF)
            *write++ = char(bytes >> 8);
        *write++ = char(bytes & 0xFF);
        at += length;
    }
    out.resize(std::size_t(write - begin));
    return true;
}

} // namespace orb::Internal
