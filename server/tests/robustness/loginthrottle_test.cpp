#include <gtest/gtest.h>

#include "orb/wire/codepage.h"
#include "server/core/loginthrottle.h"
#include "server/core/schema.h"
#include "server/storage/storage.h"
#include "services/types/syslogobj.h"
#include "testsupport/servertest.h"

using std::chrono::seconds;

TEST(LoginThrottleTest, WaitGrowsPastTheFreeFailuresAndABurstWritesFewRows)
{
    LoginThrottle throttle;
    const auto start = LoginThrottle::Clock::now();
    std::size_t count = 0;
    std::vector<std::size_t> rows;
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(throttle.wait("127.0.0.2", "zhang", start), seconds(i <= 5 ? 0 : 1 << (i - 6)));
        if (throttle.failed("127.0.0.2", "zhang", start, count))
            rows.push_back(count);
    }
    EXPECT_EQ(rows, std::vector<std::size_t>(5, 1)) << "a row for each free failure, then none";
    EXPECT_EQ(throttle.wait("127.0.0.2", "zhang", start), seconds(4));
    EXPECT_EQ(throttle.wait("127.0.0.3", "zhang", start), seconds(0)) << "another address is not held";
    EXPECT_EQ(throttle.wait("127.0.0.2", "li", start), seconds(0)) << "another user is not held";

    // The burst goes on: a row a minute with the failures since the last one.
    EXPECT_FALSE(throttle.failed("127.0.0.2", "zhang", start + seconds(30), count));
    ASSERT_TRUE(throttle.failed("127.0.0.2", "zhang", start + seconds(61), count));
    EXPECT_EQ(count, 5u) << "the failures since the last row";
    EXPECT_EQ(throttle.wait("127.0.0.2", "zhang", start + seconds(61)), seconds(16));
    // After a quiet spell the next failure starts a new burst, free again.
    ASSERT_TRUE(throttle.failed("127.0.0.2", "zhang", start + seconds(200), count));
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(throttle.wait("127.0.0.2", "zhang", start + seconds(200)), seconds(0));
}

TEST(LoginThrottleTest, ManyUsersFromOneAddressAreHeldTooAndSuccessClearsAUser)
{
    LoginThrottle throttle;
    const auto now = LoginThrottle::Clock::now();
    std::size_t count = 0;
    for (int i = 0; i < 3; ++i)
        throttle.failed("127.0.0.2", "zhang", now, count);
    throttle.succeeded("127.0.0.2", "zhang");
    for (int i = 0; i < 4; ++i)
        throttle.failed("127.0.0.2", "zhang", now, count);
    EXPECT_EQ(throttle.wait("127.0.0.2", "zhang", now), seconds(0)) << "a success resets the user's count";

    for (int i = 0; i < 30; ++i)
        throttle.failed("127.0.0.2", "user" + std::to_string(i), now, count);
    EXPECT_GT(throttle.wait("127.0.0.2", "anyone", now), seconds(0));
    EXPECT_EQ(throttle.wait("127.0.0.4", "anyone", now), seconds(0));
}

using LoginAbuseTest = ServerTest;

TEST_F(LoginAbuseTest, RepeatedFailedLoginsAreRefusedAtOnceAndLoggedOnceAMinute)
{
    std::vector<std::string> answers;
    for (int i = 0; i < 30; ++i)
        answers.push_back(messageOf(newClient()->login("admin", "wrong")));
    EXPECT_EQ(answers.front(), "LOGIN_FAILED 用户名或密码错误，请重新输入");
    EXPECT_NE(answers.back().find("登录失败次数过多"), std::string::npos) << answers.back();
    EXPECT_NE(messageOf(newClient()->login("admin", AdminPassword)).find("登录失败次数过多"), std::string::npos)
        << "while held, even the right password is refused";

    auto transaction = m_server->storage().begin(false);
    EXPECT_EQ(m_server->storage().count(schema::sysLogs,
                                        Filter::where(SysLogObj::Title, orb::fromUtf8("登录失败"))),
              5)
        << "the free failures, then a row a minute";
}
