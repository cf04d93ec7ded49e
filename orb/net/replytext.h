#pragma once

#include <string>
#include <string_view>

namespace Internal {

// The reply text, in the code page, converted to UTF-8 for the parser. Only
// the stretches of non-ASCII characters pass through the converter, in one
// batch: a reply is mostly ASCII markup.
std::string replyToUtf8(std::string_view text);

} // namespace Internal
