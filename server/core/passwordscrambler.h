#pragma once

#include <random>
#include <string>
#include <string_view>

// The password scrambling of the user dialog: each byte of the password has
// two of its bits (numbered by a pair of key digits 0-6) exchanged. The same
// operation with the same key restores the password.
namespace passwordscrambler {

// A key for a password of length bytes: two different digits 0-6 per byte.
std::string makeKey(std::size_t length, std::mt19937 &random);

// Scrambles or restores text with key; false (out untouched) when the key is
// not two digits 0-6 for every byte of text.
bool apply(std::string_view text, std::string_view key, std::string &out);

} // namespace passwordscrambler
