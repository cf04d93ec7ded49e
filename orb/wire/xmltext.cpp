#include "orb/wire/xmltext.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "orb/wire/codepage.h"

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

bool isText(const pugi::xml_node &node)
{
    return node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata;
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
    if (isText(node))
        return fromUtf8(node.value());
    pugi::xml_node child = node.first_child();
    if (!child)
        return {};
    // The usual case, one text child, needs no walk and no joining.
    if (isText(child) && !child.next_sibling())
        return fromUtf8(child.value());

    // Walks the subtree without recursion, so any depth is safe.
    std::string utf8;
    pugi::xml_node current = child;
    while (current) {
        if (isText(current))
            utf8.append(current.value());
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
    return fromUtf8(utf8);
}

namespace {

// Accepts a parse result only for a document with exactly one root element
// (the parser also accepts fragments); otherwise says what is wrong and where.
bool checkParsed(pugi::xml_document &document, const pugi::xml_parse_result &result,
                 std::string_view utf8Text, std::string *errorMessage)
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
        char text[256];
        if (utf8Text.data()) {
            const auto [line, column] = position(utf8Text, offset);
            std::snprintf(text, sizeof text, "The XML text is not well-formed: %s at line %d, column %d",
                          problem, line, column);
        } else {
            std::snprintf(text, sizeof text, "The XML text is not well-formed: %s at byte %td",
                          problem, offset);
        }
        *errorMessage = text;
    }
    document.reset();
    return false;
}

} // namespace

bool parseDocument(pugi::xml_document &document, std::string_view utf8Text, std::string *errorMessage)
{
    const pugi::xml_parse_result result =
        document.load_buffer(utf8Text.data(), utf8Text.size(), pugi::parse_default, pugi::encoding_utf8);
    return checkParsed(document, result, utf8Text, errorMessage);
}

bool parseDocumentInPlace(pugi::xml_document &document, std::string &utf8Text, std::string *errorMessage)
{
    // The parser rewrites the buffer as it goes, so positions are given as
    // byte offsets rather than lines of the (changed) text.
    const pugi::xml_parse_result result = document.load_buffer_inplace(
        utf8Text.data(), utf8Text.size(), pugi::parse_default, pugi::encoding_utf8);
    return checkParsed(document, result, {}, errorMessage);
}

} // namespace orb
