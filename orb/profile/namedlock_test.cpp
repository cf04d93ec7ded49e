#include "orb/profile/namedlock.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

class NamedLockTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/namedlocktestXXXXXX";
        m_dir = mkdtemp(pattern);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::string m_dir;
};

TEST_F(NamedLockTest, AnotherProcessWaitsBoundedlyAndGetsTheLockWhenTheHolderEnds)
{
    int toParent[2];
    int toChild[2];
    ASSERT_EQ(::pipe(toParent), 0);
    ASSERT_EQ(::pipe(toChild), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(toParent[0]);
        ::close(toChild[1]);
        ::alarm(10); // never outlive a stuck test
        NamedLock held("StatView", m_dir);
        const char state = held.lock(1s) ? 'L' : 'F';
        (void)!::write(toParent[1], &state, 1);
        char go;
        (void)!::read(toChild[0], &go, 1); // until the parent closes its end
        ::_exit(0);                        // ends holding the lock: the end releases it
    }
    ::close(toParent[1]);
    ::close(toChild[0]);
    char state = 0;
    ASSERT_EQ(::read(toParent[0], &state, 1), 1);
    ASSERT_EQ(state, 'L');

    NamedLock waiting("StatView", m_dir);
    EXPECT_FALSE(waiting.lock(30ms));
    EXPECT_FALSE(waiting.isLocked());
    EXPECT_NE(waiting.error().find("\"StatView\" is held by another program"), std::string::npos) << waiting.error();
    NamedLock other("Other", m_dir);
    EXPECT_TRUE(other.lock(0ms)) << "another name is another lock";

    ::close(toChild[1]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(waiting.lock(5s)) << waiting.error();
    EXPECT_TRUE(waiting.error().empty());
    ::close(toParent[0]);
}

TEST_F(NamedLockTest, TwoHoldersInOneProcessExcludeEachOtherUntilUnlock)
{
    NamedLock first("StatView", m_dir);
    NamedLock second("StatView", m_dir);
    ASSERT_TRUE(first.lock(0ms));
    EXPECT_TRUE(first.lock(0ms)) << "taking a held lock again is a no-op";
    EXPECT_FALSE(second.lock(20ms));
    first.unlock();
    EXPECT_TRUE(second.lock(0ms));
    {
        NamedLock scoped("Scoped", m_dir);
        ASSERT_TRUE(scoped.lock(0ms));
    }
    NamedLock again("Scoped", m_dir);
    EXPECT_TRUE(again.lock(0ms)) << "the destructor releases";
}

TEST_F(NamedLockTest, FolderAndFileProblemsAreReportedNotFatal)
{
    NamedLock nowhere("StatView", m_dir + "/missing");
    EXPECT_FALSE(nowhere.lock(0ms));
    EXPECT_NE(nowhere.error().find(m_dir + "/missing/keelmon-"), std::string::npos) << nowhere.error();

    // A symbolic link where the lock file belongs is not followed.
    NamedLock planted("Planted", m_dir);
    ASSERT_EQ(::symlink((m_dir + "/target").c_str(), planted.path().c_str()), 0);
    EXPECT_FALSE(planted.lock(0ms));
    EXPECT_FALSE(std::filesystem::exists(m_dir + "/target"));

    NamedLock slashed("a/b", m_dir);
    EXPECT_TRUE(slashed.lock(0ms)) << slashed.error();
}

} // namespace
