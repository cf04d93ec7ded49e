#include <gtest/gtest.h>

#include <random>

#include "orb/wire/codepage.h"
#include "services/types/passwordscrambler.h"

namespace {

void expectKeyShape(const std::string &key, std::size_t length)
{
    ASSERT_EQ(key.size(), 2 * length);
    for (std::size_t i = 0; i < key.size(); i += 2) {
        EXPECT_TRUE(key[i] >= '0' && key[i] <= '6' && key[i + 1] >= '0' && key[i + 1] <= '6') << key;
        EXPECT_NE(key[i], key[i + 1]) << key;
    }
}

} // namespace

TEST(PasswordScrambler, ExchangesTheNamedBitsAndRestoresWithTheSameKey)
{
    std::string scrambled;
    // Bits 0 and 1 of 'a' (0x61: ...0001) exchanged give 0x62 'b'.
    ASSERT_TRUE(passwordscrambler::apply("a", "01", scrambled));
    EXPECT_EQ(scrambled, "b");
    EXPECT_FALSE(passwordscrambler::apply("ab", "01", scrambled)) << "a key too short cannot restore";
    EXPECT_FALSE(passwordscrambler::apply("a", "07", scrambled)) << "digit 7 would move the top bit";

    std::string key, restored;
    ASSERT_FALSE(passwordscrambler::scramble(std::string(32, 'x'), key, scrambled)) << "32 bytes do not fit the key";
    ASSERT_TRUE(passwordscrambler::scramble(std::string(31, 'x'), key, scrambled));
    EXPECT_EQ(key.size(), 62u);
}

// Random passwords of printable ASCII and Chinese characters: every key has
// the documented shape, every scrambled text is clean code-page text that
// survives a round trip through Unicode, and the same key restores it.
TEST(PasswordScrambler, RandomPasswordsScrambleToCleanTextThatRestores)
{
    std::mt19937 random(20261208);
    const std::string chinese = orb::fromUtf8("密码管理员张三李四网络运维平台测试");
    std::uniform_int_distribution<int> length(1, 12), printable(0x21, 0x7e), kind(0, 3),
        chineseChar(0, int(chinese.size() / 2) - 1);
    int dirtyWithoutCare = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string password;
        int n = length(random);
        for (int i = 0; i < n && password.size() + 2 <= passwordscrambler::MaxPasswordBytes; ++i) {
            if (kind(random) == 0)
                password += chinese.substr(std::size_t(chineseChar(random)) * 2, 2);
            else
                password += char(printable(random));
        }
        std::string key, scrambled, restored;
        ASSERT_TRUE(passwordscrambler::scramble(password, key, scrambled));
        expectKeyShape(key, password.size());
        ASSERT_TRUE(passwordscrambler::isCleanText(scrambled))
            << "password " << orb::toUtf8(password) << " key " << key;
        ASSERT_TRUE(passwordscrambler::apply(orb::fromUtf8(orb::toUtf8(scrambled)), key, restored));
        ASSERT_EQ(restored, password);

        // The same password with a key drawn without the checks: shows the
        // checks matter (many such texts are not clean).
        std::string naive(password.size() * 2, '0');
        for (std::size_t i = 0; i < naive.size(); i += 2) {
            naive[i] = char('0' + random() % 7);
            naive[i + 1] = char('0' + (naive[i] - '0' + 1 + random() % 6) % 7);
        }
        std::string unchecked;
        passwordscrambler::apply(password, naive, unchecked);
        dirtyWithoutCare += passwordscrambler::isCleanText(unchecked) ? 0 : 1;
    }
    EXPECT_GT(dirtyWithoutCare, 300) << "the cleanliness check should reject many unchecked scrambles";
}
