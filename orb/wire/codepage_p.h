#pragma once

#include <string>
#include <string_view>

namespace orb::Internal {

// orb::fromUtf8 into out, reusing its storage: readers convert many fields
// through one buffer.
void fromUtf8Into(std::string &out, std::string_view utf8);

} // namespace orb::Internal
