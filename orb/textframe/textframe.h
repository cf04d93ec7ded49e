#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The short text frames of the probe and data channels: two letters, the
// payload length as exactly four decimal digits, then the payload, made of
// fields each followed by "$". Replies run until they end with "</end>".
// Texts are bytes in the wire's code page; lengths count bytes.
namespace textframe {

constexpr std::size_t HeaderSize = 6;
constexpr std::size_t MaxPayload = 9999;
constexpr char FieldEnd = '$';
constexpr std::string_view EndMark = "</end>";

// Builds kind + length + fields. Empty result with error set when the kind is
// not two letters, a field holds "$", CR or LF, or the payload exceeds cap
// (which is itself at most MaxPayload).
std::optional<std::string> build(std::string_view kind, const std::vector<std::string> &fields,
                                 std::string *error = nullptr, std::size_t cap = MaxPayload);

struct Header
{
    std::string kind;
    std::size_t length = 0;
};

enum class HeaderStatus { Incomplete, Ok, Bad };

// Reads the first HeaderSize bytes: Incomplete while fewer arrived, Bad when
// the kind is not two ASCII letters or the length not four decimal digits.
HeaderStatus parseHeader(std::string_view bytes, Header &header);

struct Fields
{
    std::vector<std::string_view> fields; // every text followed by "$", in order
    std::string_view tail;                // text after the last "$" (empty in a well-formed payload)
};

// Splits a payload; the views point into payload.
Fields split(std::string_view payload);

} // namespace textframe
