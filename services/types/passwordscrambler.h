#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "orb/wire/keelexport.h"

// The password scrambling of user accounts, shared by the client's user
// dialog and the server: each byte of the password has two of its bits
// (numbered by a pair of key digits 0-6) exchanged. The same operation with
// the same key restores the password. Texts are in the code page.
namespace passwordscrambler {

// The longest password whose key (two digits per byte) fits the 64-byte
// EncryptCode field.
inline constexpr std::size_t MaxPasswordBytes = 31;

// A key for password drawn from the system's random source: two different
// digits 0-6 per byte, chosen so that the scrambled text holds no control
// character and stays valid, convertible code-page text. Empty when the
// password is longer than MaxPasswordBytes.
KEEL_EXPORT std::string makeKey(std::string_view password);

// Scrambles or restores text with key; false (out untouched) when the key is
// not two digits 0-6 for every byte of text.
KEEL_EXPORT bool apply(std::string_view text, std::string_view key, std::string &out);

// makeKey and apply in one: false when the password is too long.
KEEL_EXPORT bool scramble(std::string_view password, std::string &key, std::string &scrambled);

// Whether text converts to Unicode and back unchanged and has no control
// character: what a scrambled password must be to survive the wire.
KEEL_EXPORT bool isCleanText(std::string_view text);

} // namespace passwordscrambler
