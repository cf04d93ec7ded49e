#pragma once

#include <cstddef>
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

// Parses a complete request; each argument is made through factory from its
// xsi-type. False with a reason (English, for the log) when it cannot be read.
bool read(std::string_view received, MtxFactory &factory, OrbRequest &request, std::string &error);

} // namespace requestreader
