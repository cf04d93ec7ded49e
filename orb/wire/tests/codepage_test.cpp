#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include <iconv.h>

#include "orb/wire/codepage.h"
#include "orb/wire/fixedtext.h"
#include "orb/wire/mtxstatus.h"
#include "orb/wire/mtxstring.h"
#include "wiretestutil.h"

namespace {
const std::string gbkZhongWen = "\xD6\xD0\xCE\xC4"; // 中文 in GBK
const std::string utf8ZhongWen = "\xE4\xB8\xAD\xE6\x96\x87";

std::string repeat(const std::string &piece, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}
} // namespace

TEST(CodePage, ConvertsBetweenGbkAndUtf8)
{
    EXPECT_STREQ(orb::codePageName(), "GBK");
    EXPECT_EQ(orb::toUtf8(gbkZhongWen), utf8ZhongWen);
    EXPECT_EQ(orb::fromUtf8(utf8ZhongWen), gbkZhongWen);
    EXPECT_EQ(orb::fromUtf8("plain ascii"), "plain ascii");
    EXPECT_EQ(orb::toUtf8("x" + gbkZhongWen + "y"), "x" + utf8ZhongWen + "y");
    EXPECT_EQ(orb::fromUtf8("a\xFF" "b"), "ab") << "bytes that cannot be converted are dropped";
    EXPECT_EQ(orb::fromUtf8("a\xE4\xB8"), "a") << "an incomplete character at the end is dropped";
    EXPECT_EQ(orb::fromUtf8(repeat(utf8ZhongWen, 2000)), repeat(gbkZhongWen, 2000));
}

// The code page is chosen once per process, so each choice runs in a fresh one.
TEST(CodePage, OnlyPagesThatCarryMarkupUnchangedAreAccepted)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto chosen = [](const char *requested) {
        setenv("KEELMON_CODEPAGE", requested, 1);
        std::fprintf(stderr, "chosen %s\n", orb::codePageName());
        std::exit(0);
    };
    EXPECT_EXIT(chosen("BIG5"), testing::ExitedWithCode(0), "chosen BIG5");
    EXPECT_EXIT(chosen("CP1252"), testing::ExitedWithCode(0), "chosen CP1252");
    EXPECT_EXIT(chosen("UTF-8"), testing::ExitedWithCode(0), "chosen UTF-8");
    EXPECT_EXIT(chosen("UTF-16"), testing::ExitedWithCode(0), "cannot carry XML markup.*chosen GBK");
    EXPECT_EXIT(chosen("ISO-2022-JP"), testing::ExitedWithCode(0), "cannot carry XML markup.*chosen GBK");
    EXPECT_EXIT(chosen("NO-SUCH-PAGE"), testing::ExitedWithCode(0), "iconv does not know.*chosen GBK");
}

TEST(CodePage, FitLengthNeverCutsADoubleByteCharacter)
{
    const std::string text = "ab" + gbkZhongWen; // a b 中 文: 6 bytes
    EXPECT_EQ(orb::fitLength(text, 6), 6u);
    EXPECT_EQ(orb::fitLength(text, 5), 4u);
    EXPECT_EQ(orb::fitLength(text, 4), 4u);
    EXPECT_EQ(orb::fitLength(text, 3), 2u);
    EXPECT_EQ(orb::fitLength(gbkZhongWen + "x", 3), 2u);
    EXPECT_EQ(orb::fitLength("abcdef", 3), 3u);
    EXPECT_EQ(orb::fitLength("", 0), 0u);

    FixedText<4> field;
    field.assignTruncated("a" + gbkZhongWen);
    EXPECT_EQ(field.view(), "a\xD6\xD0");
    EXPECT_FALSE(field.assign("abcd"));
    EXPECT_EQ(field.view(), "a\xD6\xD0") << "a rejected text keeps the old value";
}

TEST(CodePage, LongDomTextIsCutAtAWholeCharacter)
{
    // "ab" + 40 x 中 is 82 GBK bytes; a 63-byte field keeps "ab" and 30 characters.
    ParsedXml xml("<v><code>ab" + repeat("\xE4\xB8\xAD", 40) + "</code><message>" + std::string(70, 'm') +
                  "</message></v>");
    MtxStatus status;
    status.fromXML(xml.root());
    EXPECT_EQ(std::string(status.getCode()), "ab" + repeat("\xD6\xD0", 30));
    EXPECT_EQ(std::string(status.getMessage()), std::string(63, 'm'));

    ParsedXml longString("<v>" + repeat("\xE4\xB8\xAD", 600) + "</v>");
    MtxString text;
    text.fromXML(longString.root());
    EXPECT_EQ(std::string(text.getValue()), repeat("\xD6\xD0", 511));
}

TEST(CodePage, WritesLocalBytesAsTheyStand)
{
    // Objects hold code page bytes; the text they write is converted by the envelope.
    MtxString text(gbkZhongWen.c_str());
    EXPECT_EQ(xmlOf(text, "v", 0), "<v>" + gbkZhongWen + "</v>");
    ParsedXml xml(orb::toUtf8(xmlOf(text, "v", 0)));
    MtxString back;
    back.fromXML(xml.root());
    EXPECT_EQ(std::string(back.getValue()), gbkZhongWen);
}

namespace {

// The reference: one iconv call over the whole text, dropping what it cannot
// convert, as the conversions promise to.
std::string iconvReference(const char *to, const char *from, std::string_view text)
{
    iconv_t cd = iconv_open(to, from);
    std::string out(text.size() * 4 + 8, '\0');
    char *src = const_cast<char *>(text.data());
    size_t srcLeft = text.size();
    char *dst = out.data();
    size_t dstLeft = out.size();
    while (srcLeft > 0) {
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != size_t(-1) || errno != EILSEQ)
            break;
        ++src;
        --srcLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    out.resize(out.size() - dstLeft);
    return out;
}

} // namespace

TEST(CodePage, TableConversionsMatchIconvForEveryCharacter)
{
    // Every double-byte sequence the page might hold, each after an ASCII byte
    // so that a wrongly dropped or kept byte shows.
    for (unsigned lead = 0x80; lead <= 0xFF; ++lead) {
        std::string local;
        for (unsigned trail = 0x21; trail <= 0xFF; ++trail) {
            local += 'a';
            local += char(lead);
            local += char(trail);
        }
        ASSERT_EQ(orb::toUtf8(local), iconvReference("UTF-8", "GBK", local)) << "lead byte " << lead;
    }

    // Every character of the Basic Multilingual Plane that UTF-8 can carry.
    std::string utf8;
    for (char32_t cp = 0x80; cp < 0x10000; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF)
            continue;
        utf8 += 'z';
        if (cp < 0x800) {
            utf8 += char(0xC0 | (cp >> 6));
        } else {
            utf8 += char(0xE0 | (cp >> 12));
            utf8 += char(0x80 | ((cp >> 6) & 0x3F));
        }
        utf8 += char(0x80 | (cp & 0x3F));
    }
    EXPECT_EQ(orb::fromUtf8(utf8), iconvReference("GBK", "UTF-8", utf8));

    const std::string broken = "ok\xC3(\xE4\xB8\xAD\xFF" "end";
    EXPECT_EQ(orb::fromUtf8(broken), iconvReference("GBK", "UTF-8", broken));
}
