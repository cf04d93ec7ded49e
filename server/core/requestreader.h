#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

#include "server/core/orbrequest.h"

class MtxFactory;

// Reads the request text a client sends on a connection:
// "Orb.MtxRequest\r\n<pro-req>...</pro-req>\r\n\r\n\r\n", in the code page.
namespace requestreader {

inline constexpr std::string_view FramingLine = "Orb.MtxRequest\r\n";
inline constexpr std::string_view EndTag = "</pro-req>";

enum class Frame { Incomplete, Complete, Malformed };

// Whether received holds a whole request yet. checked is how many leading
// bytes an earlier call already looked at (so a long request is scanned once).
Frame frame(std::string_view received, std::size_t checked = 0);

// The same for the short text channels: "XX" (one of kinds), the payload's
// length in 4 digits, the payload of at most maxPayload bytes. Bytes past the
// payload make the frame Malformed when exact is set and are ignored otherwise.
Frame textFrame(std::string_view received, std::initializer_list<std::string_view> kinds, std::size_t maxPayload,
                bool exact);

// Parses a complete request; each argument is made through factory from its
// xsi-type. False with a reason (English, for the log) when it cannot be read.
// A request whose texts cannot be kept whole (longer than their fields, a
// character reference to NUL or to a character the code page lacks) is not
// read either: textRefusal (when given) then gets the message for the caller,
// naming the field and why (UTF-8).
bool read(std::string_view received, MtxFactory &factory, OrbRequest &request, std::string &error,
          std::string *textRefusal = nullptr);

} // namespace requestreader
