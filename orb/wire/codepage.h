#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "orb/wire/keelexport.h"

// Text held by wire objects is in the system's code page (GBK unless the
// environment variable KEELMON_CODEPAGE names another iconv encoding); the XML
// parser and Qt work in UTF-8. These are the only conversions between the two.
namespace orb {

KEEL_EXPORT const char *codePageName();

// Conversions never throw: bytes that cannot be converted are dropped.
KEEL_EXPORT std::string toUtf8(std::string_view local);
KEEL_EXPORT std::string fromUtf8(std::string_view utf8);

// The length of the longest prefix of local text, at most maxBytes long, that
// ends on a whole character (a double-byte character is never cut in half).
KEEL_EXPORT std::size_t fitLength(std::string_view local, std::size_t maxBytes);

} // namespace orb
