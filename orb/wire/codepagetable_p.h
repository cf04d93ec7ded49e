#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orb::Internal {

// Lookup tables of a code page whose characters are one byte, or a lead byte
// of 0x81-0xFE and one trail byte (GBK, Big5, UHC and the single-byte pages).
// Built once from iconv, they make each conversion a table lookup per
// character instead of a library call per text, which matters when a reply
// holds tens of thousands of fields. The results are those iconv gives.
class CodePageTable
{
public:
    // An empty table (usable() false) for pages with longer sequences.
    CodePageTable(const char *pageName, bool doubleByte);

    bool usable() const { return m_usable; }
    // Bytes that are no character of the page are dropped, as iconv does.
    void toUtf8(std::string &out, std::string_view local) const;
    // False when the text holds a character that only iconv can tell how to
    // write (none of the page's own byte sequences reads back as it): the
    // caller then converts the text with iconv.
    bool fromUtf8(std::string &out, std::string_view utf8) const;

private:
    char32_t decodePair(unsigned char lead, unsigned char trail) const
    {
        return m_pairs[(std::size_t(lead - 0x80) << 8) | trail];
    }

    std::string m_pageName;
    bool m_usable = false;
    char32_t m_singles[128] = {};   // bytes 0x80-0xFF on their own; 0 = not a character
    std::vector<char32_t> m_pairs;  // (lead - 0x80) * 256 + trail -> code point; 0 = none
    std::vector<std::uint16_t> m_encode; // BMP code point -> bytes (lead << 8 | trail, or one byte); 0 = none
};

} // namespace orb::Internal
