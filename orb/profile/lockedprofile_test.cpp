#include "orb/profile/lockedprofile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace {

using namespace std::chrono_literals;

TEST(LockedProfile, ReadsAndWritesOnlyAnExistingFileAndOnlyUnderTheLock)
{
    char pattern[] = "/tmp/lockedprofiletestXXXXXX";
    const std::string dir = mkdtemp(pattern);
    const std::string path = dir + "/StatView.ini";
    LockedProfile settings(path, "StatView", dir, 20ms);

    EXPECT_FALSE(settings.readString("StatView", "ID", "0"));
    EXPECT_NE(settings.error().find(path + " does not exist"), std::string::npos) << settings.error();
    EXPECT_FALSE(settings.writeString("StatView", "ID", "m-1"));
    EXPECT_FALSE(std::filesystem::exists(path)) << "a missing file is not created";

    std::ofstream(path) << "[StatView]\r\nMonitorType=3\r\n";
    ASSERT_TRUE(settings.writeString("StatView", "ID", "m-1")) << settings.error();
    EXPECT_EQ(settings.readString("StatView", "ID", "0"), "m-1");
    EXPECT_EQ(settings.readString("StatView", "MonitorType", "0"), "3");
    EXPECT_EQ(settings.readString("StatView", "RecvNum", "0"), "0");
    EXPECT_TRUE(settings.error().empty());

    NamedLock other("StatView", dir);
    ASSERT_TRUE(other.lock(0ms));
    EXPECT_FALSE(settings.readString("StatView", "ID"));
    EXPECT_FALSE(settings.writeString("StatView", "ID", "m-2"));
    EXPECT_NE(settings.error().find("held by another program"), std::string::npos) << settings.error();
    other.unlock();
    EXPECT_EQ(settings.readString("StatView", "ID"), "m-1") << "nothing was written while the lock was held";
    std::filesystem::remove_all(dir);
}

} // namespace
