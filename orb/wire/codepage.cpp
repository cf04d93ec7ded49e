#include "orb/wire/codepage.h"
#include "orb/wire/codepage_p.h"
#include "orb/wire/codepagetable_p.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include <iconv.h>

namespace orb {
namespace {

enum class CharWidth { Single, DoubleByte, Utf8 };

struct CodePage
{
    std::string name;
    CharWidth width;
    bool identity; // the code page is UTF-8 itself: nothing to convert
};

bool namedAny(const std::string &name, std::initializer_list<const char *> names)
{
    for (const char *candidate : names)
        if (strcasecmp(name.c_str(), candidate) == 0)
            return true;
    return false;
}

// Whether iconv knows the page and it can carry the protocol: markup
// characters keep their bytes, and no other character uses a byte below 0x40
// except digits (which rules out stateful pages such as ISO-2022). Replies are
// parsed in the code page, which is only sound for such pages.
bool carriesMarkup(const char *pageName)
{
    iconv_t cd = iconv_open(pageName, "UTF-8");
    if (cd == iconv_t(-1))
        return false;
    const auto convert = [cd](std::string_view utf8, std::string &out) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char buffer[64];
        char *src = const_cast<char *>(utf8.data());
        size_t srcLeft = utf8.size();
        char *dst = buffer;
        size_t dstLeft = sizeof buffer;
        const bool ok = iconv(cd, &src, &srcLeft, &dst, &dstLeft) != size_t(-1) &&
                        iconv(cd, nullptr, nullptr, &dst, &dstLeft) != size_t(-1);
        out.assign(buffer, std::size_t(dst - buffer));
        return ok;
    };
    constexpr std::string_view markup = "<?xml a=\"1\"/>&#;' 09AZaz-_.:\t\r\n";
    std::string out;
    bool carries = convert(markup, out) && out == markup;
    for (std::string_view other : {"中", "é", "Ж", "あ"}) {
        if (!carries || !convert(other, out))
            continue; // a character the page lacks says nothing
        for (unsigned char byte : out)
            carries = carries && (byte >= 0x40 || (byte >= '0' && byte <= '9'));
    }
    iconv_close(cd);
    return carries;
}

// Decided once per process: the environment cannot change the code page of
// texts that are already held in objects.
const CodePage &codePage()
{
    static const CodePage page = [] {
        std::string name = "GBK";
        if (const char *env = std::getenv("KEELMON_CODEPAGE"); env && *env) {
            if (!carriesMarkup(env)) {
                std::fprintf(stderr,
                             "KEELMON_CODEPAGE names \"%s\", which iconv does not know or which cannot carry "
                             "XML markup unchanged; using GBK. Set it to an ASCII-compatible encoding "
                             "listed by \"iconv -l\" (GBK, BIG5, UTF-8, CP1252, ...).\n",
                             env);
            } else {
                name = env;
            }
        }
        const bool utf8 = namedAny(name, {"UTF-8", "UTF8"});
        CharWidth width = CharWidth::Single;
        if (utf8)
            width = CharWidth::Utf8;
        else if (namedAny(name, {"GBK", "GB2312", "GB18030", "CP936", "EUC-CN", "BIG5", "CP950",
                                 "BIG5-HKSCS", "CP949", "EUC-KR", "UHC"}))
            width = CharWidth::DoubleByte;
        return CodePage{name, width, utf8};
    }();
    return page;
}

// Eight bytes at a time: whole replies pass through here.
bool isAscii(std::string_view text)
{
    const char *at = text.data();
    const char *const end = at + text.size();
    std::uint64_t high = 0;
    for (; end - at >= 8; at += 8) {
        std::uint64_t word;
        std::memcpy(&word, at, sizeof word);
        high |= word;
    }
    for (; at < end; ++at)
        high |= static_cast<unsigned char>(*at);
    return (high & 0x8080808080808080ull) == 0;
}

// One open descriptor per direction and thread: opening iconv is far more
// expensive than converting a field.
class Converter
{
public:
    Converter(const char *to, const char *from) : m_cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (m_cd != iconv_t(-1))
            iconv_close(m_cd);
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    // Converts into out, reusing its storage.
    void convertInto(std::string &out, std::string_view in)
    {
        out.clear();
        if (m_cd == iconv_t(-1))
            return;
        if (m_dirty) {
            iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
            m_dirty = false;
        }
        out.resize(in.size() * 2 + 16);
        char *src = const_cast<char *>(in.data());
        size_t srcLeft = in.size();
        size_t used = 0;
        while (srcLeft > 0) {
            char *dst = out.data() + used;
            size_t dstLeft = out.size() - used;
            const size_t rc = iconv(m_cd, &src, &srcLeft, &dst, &dstLeft);
            used = out.size() - dstLeft;
            if (rc != size_t(-1))
                break;
            if (errno == E2BIG) {
                out.resize(out.size() * 2);
                continue;
            }
            m_dirty = true; // start the next text from the initial state
            if (errno != EILSEQ)
                break; // EINVAL: an incomplete character at the end is dropped
            ++src; // drop the byte that cannot be converted
            --srcLeft;
        }
        out.resize(used);
    }

private:
    iconv_t m_cd;
    bool m_dirty = false;
};

std::size_t utf8SequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    if ((lead & 0xF8) == 0xF0)
        return 4;
    return 1; // a stray continuation byte counts as one character
}

std::size_t doubleByteSequenceLength(std::string_view text, std::size_t at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x81 || lead > 0xFE)
        return 1;
    // GB18030 four-byte form: lead, digit, lead, digit.
    if (at + 1 < text.size()) {
        const auto second = static_cast<unsigned char>(text[at + 1]);
        if (second >= 0x30 && second <= 0x39)
            return 4;
    }
    return 2;
}

} // namespace

const char *codePageName()
{
    return codePage().name.c_str();
}

namespace {

// The table of the process's code page, built on the first conversion that
// needs it; GB18030's four-byte forms and unknown pages leave it unusable.
const Internal::CodePageTable &table()
{
    static const Internal::CodePageTable instance(
        codePage().name.c_str(),
        codePage().width == CharWidth::DoubleByte && strcasecmp(codePage().name.c_str(), "GB18030") != 0);
    return instance;
}

Converter &fromUtf8Converter()
{
    thread_local Converter converter(codePage().name.c_str(), "UTF-8");
    return converter;
}

} // namespace

std::string toUtf8(std::string_view local)
{
    if (codePage().identity || isAscii(local))
        return std::string(local);
    std::string out;
    if (table().usable()) {
        table().toUtf8(out, local);
        return out;
    }
    thread_local Converter converter("UTF-8", codePage().name.c_str());
    converter.convertInto(out, local);
    return out;
}

std::string fromUtf8(std::string_view utf8)
{
    std::string out;
    Internal::fromUtf8Into(out, utf8);
    return out;
}

namespace Internal {
void fromUtf8Into(std::string &out, std::string_view utf8)
{
    if (codePage().identity || isAscii(utf8))
        out.assign(utf8);
    else if (!table().usable() || !table().fromUtf8(out, utf8))
        fromUtf8Converter().convertInto(out, utf8);
}

std::size_t firstUnconvertible(std::string_view local, std::size_t from)
{
    const CharWidth width = codePage().width;
    if (codePage().identity || from >= local.size() || isAscii(local.substr(from)))
        return std::string_view::npos;
    for (std::size_t at = from; at < local.size();) {
        if (static_cast<unsigned char>(local[at]) < 0x80) {
            ++at;
            continue;
        }
        const std::size_t length = width == CharWidth::Single ? 1 : doubleByteSequenceLength(local, at);
        // A character becomes one code point beyond ASCII; a byte that is
        // dropped, or a lead byte whose trail byte is none, does not.
        const std::string utf8 = toUtf8(local.substr(at, length));
        if (utf8.empty() || static_cast<unsigned char>(utf8[0]) < 0x80
            || utf8SequenceLength(static_cast<unsigned char>(utf8[0])) != utf8.size())
            return at;
        at += length;
    }
    return std::string_view::npos;
}

} // namespace Internal

std::size_t fitLength(std::string_view local, std::size_t maxBytes)
{
    if (local.size() <= maxBytes)
        return local.size();
    const CharWidth width = codePage().width;
    if (width == CharWidth::Single)
        return maxBytes;
    std::size_t at = 0;
    while (at < local.size()) {
        const std::size_t length = width == CharWidth::Utf8
                                       ? utf8SequenceLength(static_cast<unsigned char>(local[at]))
                                       : doubleByteSequenceLength(local, at);
        if (at + length > maxBytes)
            break;
        at += length;
    }
    return at;
}

} // namespace orb
