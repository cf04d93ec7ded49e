#include "orb/wire/xmltext.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "orb/wire/codepage.h"
#include "orb/wire/codepage_p.h"
#include "orb/wire/strictreading.h"
#include "orb/wire/wireobject_p.h"

namespace orb {
namespace {

void appendWithEntities(std::string &out, std::string_view text, std::string_view special)
{
    std::size_t start = 0;
    for (std::size_t at = text.find_first_of(special); at != std::string_view::npos;
         at = text.find_first_of(special, start)) {
        out.append(text.substr(start, at - start));
        switch (text[at]) {
        case '&': out.append("&amp;"); break;
        case '<': out.append("&lt;"); break;
        case '>': out.append("&gt;"); break;
        default: out.append("&quot;"); break;
        }
        start = at + 1;
    }
    out.append(text.substr(start));
}

// Line and column (both from 1) of a byte offset, for parse messages.
std::pair<int, int> position(std::string_view text, std::ptrdiff_t offset)
{
    int line = 1;
    int column = 1;
    const auto end = std::min<std::size_t>(offset < 0 ? 0 : std::size_t(offset), text.size());
    for (std::size_t i = 0; i < end; ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return {line, column};
}

} // namespace

void appendEscaped(std::string &out, std::string_view text)
{
    appendWithEntities(out, text, "&<>");
}

void appendEscapedAttribute(std::string &out, std::string_view text)
{
    appendWithEntities(out, text, "&<>\"");
}

void appendElement(std::string &out, std::string_view name, std::string_view text)
{
    out += '<';
    out.append(name);
    out += '>';
    appendEscaped(out, text);
    out.append("</");
    out.append(name);
    out += '>';
}

std::string nodeText(const pugi::xml_node &node)
{
    pugi::xml_node child = node.first_child();
    if (!child)
        return std::string(Internal::ownText(node));

    // Walks the subtree without recursion, so any depth is safe.
    std::string text(Internal::ownText(node));
    pugi::xml_node current = child;
    while (current) {
        text.append(Internal::ownText(current));
        if (pugi::xml_node first = current.first_child()) {
            current = first;
            continue;
        }
        while (current && current != node && !current.next_sibling())
            current = current.parent();
        if (!current || current == node)
            break;
        current = current.next_sibling();
    }
    return text;
}

namespace {

// An element's leading text is kept in the element itself rather than in a
// node of its own: half the nodes for the usual <code>1</code> field.
constexpr unsigned ParseOptions = pugi::parse_default | pugi::parse_embed_pcdata;

// The UTF-8 bytes of a code point (at most four).
std::string_view encodeUtf8(char32_t point, char (&bytes)[4])
{
    if (point < 0x800) {
        bytes[0] = char(0xC0 | (point >> 6));
        bytes[1] = char(0x80 | (point & 0x3F));
        return {bytes, 2};
    }
    if (point < 0x10000) {
        bytes[0] = char(0xE0 | (point >> 12));
        bytes[1] = char(0x80 | ((point >> 6) & 0x3F));
        bytes[2] = char(0x80 | (point & 0x3F));
        return {bytes, 3};
    }
    bytes[0] = char(0xF0 | (point >> 18));
    bytes[1] = char(0x80 | ((point >> 12) & 0x3F));
    bytes[2] = char(0x80 | ((point >> 6) & 0x3F));
    bytes[3] = char(0x80 | (point & 0x3F));
    return {bytes, 4};
}

// The number of a reference "&#...;" at text[at], and its length; a length
// of 0 when it is no well-formed reference.
std::pair<char32_t, std::size_t> characterReference(std::string_view text, std::size_t at)
{
    if (text.substr(at, 2) != "&#")
        return {0, 0};
    std::size_t next = at + 2;
    const bool hex = next < text.size() && text[next] == 'x';
    if (hex)
        ++next;
    const std::size_t digitsFrom = next;
    std::uint32_t point = 0;
    for (; next < text.size() && next - digitsFrom < 8; ++next) {
        const char c = text[next];
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0)
            break;
        point = point * (hex ? 16 : 10) + std::uint32_t(digit);
    }
    const bool wellFormed = next > digitsFrom && next < text.size() && text[next] == ';';
    if (!wellFormed)
        return {0, 0};
    return {char32_t(point), next + 1 - at};
}

// A character that the resolved text does not hold as it was sent, at its
// offset there.
struct DroppedCharacter
{
    std::size_t offset;
    TextFault::Kind kind;
    char32_t point = 0; // the character a reference named
};

// Where the markup at text[at] ("<!--", "<![CDATA[", "<?") ends, or npos when
// it is none of those: their content is plain text, references included.
std::size_t endOfLiteralMarkup(std::string_view text, std::size_t at)
{
    static constexpr std::pair<std::string_view, std::string_view> literals[] = {
        {"<!--", "-->"}, {"<![CDATA[", "]]>"}, {"<?", "?>"}};
    for (const auto &[open, close] : literals) {
        if (text.substr(at, open.size()) != open)
            continue;
        const std::size_t end = text.find(close, at + open.size());
        return end == std::string_view::npos ? text.size() : end + close.size();
    }
    return std::string_view::npos;
}

// Replaces each numeric character reference to a character beyond ASCII by
// the character's bytes in the code page, so that the document holds one
// encoding throughout. References to ASCII characters stay for the parser (an
// escaped "<" must not become markup), and so does everything inside
// comments, CDATA sections and processing instructions. A reference is longer
// than the bytes replacing it, so the text shrinks in place. A character the
// code page lacks, or a number that is no character, is dropped, as in every
// other conversion.
//
// For a strict reading, dropped notes each reference whose character the text
// cannot carry (a NUL, which the parser would take for the end of the text, or
// a character the code page lacks), at its offset in the resolved text. Such a
// character is then written as "?" so that the offset stays inside the text
// it belonged to; the text is refused anyway.
void resolveCharacterReferences(std::string &text, std::vector<DroppedCharacter> *dropped)
{
    if (text.find("&#") == std::string::npos)
        return;
    std::string character;
    std::size_t read = 0;
    std::size_t write = 0;
    const auto keep = [&](std::size_t length) {
        std::memmove(text.data() + write, text.data() + read, length);
        read += length;
        write += length;
    };
    while (read < text.size()) {
        const std::size_t special = text.find_first_of("<&", read);
        if (special == std::string::npos) {
            keep(text.size() - read);
            break;
        }
        keep(special - read);
        if (text[read] == '<') {
            const std::size_t end = endOfLiteralMarkup(text, read);
            keep(end == std::string::npos ? 1 : end - read);
            continue;
        }
        const auto [point, length] = characterReference(text, read);
        if (length == 0 || point < 0x80) {
            if (length != 0 && point == 0 && dropped && dropped->size() < StrictReading::MaxKept)
                dropped->push_back({write, TextFault::Kind::NulCharacter});
            keep(1);
            continue;
        }
        char bytes[4];
        const bool isCharacter = point <= 0x10FFFF && (point < 0xD800 || point > 0xDFFF);
        if (isCharacter)
            Internal::fromUtf8Into(character, encodeUtf8(point, bytes));
        if (!isCharacter || character.size() > length)
            character.clear(); // no page the wire accepts writes more, but the text must never grow
        if (character.empty() && dropped) {
            if (dropped->size() < StrictReading::MaxKept)
                dropped->push_back({write, TextFault::Kind::Unstorable, point});
            character = "?";
        }
        std::memcpy(text.data() + write, character.data(), character.size());
        write += character.size();
        read += length;
    }
    text.resize(write);
}

// Adds to dropped, in text order, the byte sequences of text that are no
// character of the code page: the conversion into storage would drop them.
void noteUnconvertible(std::string_view text, std::vector<DroppedCharacter> &dropped)
{
    std::vector<DroppedCharacter> found;
    for (std::size_t at = Internal::firstUnconvertible(text, 0);
         at != std::string_view::npos && found.size() < StrictReading::MaxKept;
         at = Internal::firstUnconvertible(text, at + 1))
        found.push_back({at, TextFault::Kind::InvalidBytes});
    if (found.empty())
        return;
    dropped.insert(dropped.end(), found.begin(), found.end());
    std::stable_sort(dropped.begin(), dropped.end(),
                     [](const DroppedCharacter &a, const DroppedCharacter &b) { return a.offset < b.offset; });
}

// The next node after node in document order, or null.
pugi::xml_node following(pugi::xml_node node)
{
    if (pugi::xml_node child = node.first_child())
        return child;
    while (node && !node.next_sibling())
        node = node.parent();
    return node ? node.next_sibling() : node;
}

// Where node starts in the parsed text: an element at its name, a text at its
// value. In-place documents point into buffer; copies know their offsets. -1
// when it cannot be told.
std::ptrdiff_t startOf(const pugi::xml_node &node, std::string_view buffer)
{
    if (!buffer.data())
        return node.offset_debug();
    const char *at = node.type() == pugi::node_element ? node.name() : node.value();
    if (at < buffer.data() || at > buffer.data() + buffer.size())
        return -1;
    return at - buffer.data();
}

// Tells strict which element holds each dropped character: the element of the
// last node starting at or before it. Dropped characters come in text order,
// so one walk through the document places them all.
void noteDropped(const pugi::xml_document &document, const std::vector<DroppedCharacter> &dropped,
                 std::string_view buffer, StrictReading &strict)
{
    std::size_t next = 0;
    pugi::xml_node owner;
    const auto noteUpTo = [&](std::size_t end) {
        for (; next < dropped.size() && dropped[next].offset < end; ++next) {
            const DroppedCharacter &character = dropped[next];
            strict.note({character.kind, owner ? owner.name() : "", 0, character.point});
        }
    };
    for (pugi::xml_node node = document.first_child(); node && next < dropped.size(); node = following(node)) {
        const std::ptrdiff_t at = startOf(node, buffer);
        if (at < 0)
            continue;
        noteUpTo(std::size_t(at));
        owner = node.type() == pugi::node_element ? node : node.parent();
    }
    noteUpTo(std::string_view::npos);
}

// Accepts a parse result only for a document with exactly one root element
// (the parser also accepts fragments); otherwise says what is wrong and where.
bool checkParsed(pugi::xml_document &document, const pugi::xml_parse_result &result,
                 std::string_view text, std::string *errorMessage)
{
    const char *problem = nullptr;
    std::ptrdiff_t offset = 0;
    if (!result) {
        problem = result.description();
        offset = result.offset;
    } else if (pugi::xml_node second = document.document_element().next_sibling(); second) {
        for (; second && second.type() != pugi::node_element; second = second.next_sibling()) {
        }
        if (second) {
            problem = "more than one top-level element";
            offset = second.offset_debug();
        }
    }
    if (!problem)
        return true;
    if (errorMessage) {
        char message[256];
        if (text.data()) {
            const auto [line, column] = position(text, offset);
            std::snprintf(message, sizeof message,
                          "The XML text is not well-formed: %s at line %d, column %d", problem, line, column);
        } else {
            std::snprintf(message, sizeof message, "The XML text is not well-formed: %s at byte %td",
                          problem, offset);
        }
        *errorMessage = message;
    }
    document.reset();
    return false;
}

} // namespace

bool parseLocalDocumentInPlace(pugi::xml_document &document, std::string &localText,
                                std::string *errorMessage)
{
    StrictReading *strict = StrictReading::current();
    std::vector<DroppedCharacter> dropped;
    resolveCharacterReferences(localText, strict ? &dropped : nullptr);
    if (strict)
        noteUnconvertible(localText, dropped);
    // The parser rewrites the buffer as it goes, so positions are given as
    // byte offsets rather than lines of the (changed) text.
    const pugi::xml_parse_result result = document.load_buffer_inplace(
        localText.data(), localText.size(), ParseOptions, pugi::encoding_utf8);
    if (!checkParsed(document, result, {}, errorMessage))
        return false;
    if (!dropped.empty())
        noteDropped(document, dropped, localText, *strict);
    return true;
}

bool parseUtf8Document(pugi::xml_document &document, std::string_view utf8Text, std::string *errorMessage)
{
    StrictReading *strict = StrictReading::current();
    std::vector<DroppedCharacter> dropped;
    std::string localText = fromUtf8(utf8Text);
    resolveCharacterReferences(localText, strict ? &dropped : nullptr);
    const pugi::xml_parse_result result =
        document.load_buffer(localText.data(), localText.size(), ParseOptions, pugi::encoding_utf8);
    if (!checkParsed(document, result, localText, errorMessage))
        return false;
    if (!dropped.empty())
        noteDropped(document, dropped, {}, *strict);
    return true;
}

} // namespace orb
