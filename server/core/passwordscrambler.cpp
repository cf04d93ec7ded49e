#include "server/core/passwordscrambler.h"

namespace passwordscrambler {

std::string makeKey(std::size_t length, std::mt19937 &random)
{
    std::uniform_int_distribution<int> digit(0, 6);
    std::string key;
    key.reserve(length * 2);
    for (std::size_t i = 0; i < length; ++i) {
        int first = digit(random);
        int second = digit(random);
        while (second == first)
            second = digit(random);
        key += char('0' + first);
        key += char('0' + second);
    }
    return key;
}

bool apply(std::string_view text, std::string_view key, std::string &out)
{
    if (key.size() < text.size() * 2)
        return false;
    std::string result(text);
    for (std::size_t i = 0; i < result.size(); ++i) {
        int a = key[2 * i] - '0';
        int b = key[2 * i + 1] - '0';
        if (a < 0 || a > 6 || b < 0 || b > 6)
            return false;
        auto byte = static_cast<unsigned char>(result[i]);
        unsigned bitA = (byte >> a) & 1u;
        unsigned bitB = (byte >> b) & 1u;
        if (bitA != bitB)
            byte ^= static_cast<unsigned char>((1u << a) | (1u << b));
        result[i] = static_cast<char>(byte);
    }
    out = std::move(result);
    return true;
}

} // namespace passwordscrambler
