#pragma once

#include <string>
#include <string_view>

namespace orb::Internal {

// orb::fromUtf8 into out, reusing its storage: readers convert many fields
// through one buffer.
void fromUtf8Into(std::string &out, std::string_view utf8);

// Where the first byte sequence at or after from in local text lies that is
// no character of the code page (a conversion would drop it), or npos.
std::size_t firstUnconvertible(std::string_view local, std::size_t from);

} // namespace orb::Internal
