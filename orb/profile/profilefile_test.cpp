#include "orb/profile/profilefile.h"
#include "testsupport/tempfolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

class ProfileFileTest : public ::testing::Test
{
protected:
    void write(const std::string &content) { m_dir.write("Keelsys.ini", content); }
    std::string content() const { return readFile(m_path); }

    TempFolder m_dir;
    std::string m_path = m_dir.file("Keelsys.ini");
};

TEST_F(ProfileFileTest, MissingFileReadsAsEmptyAndWriteCreatesIt)
{
    ProfileFile profile(m_path);
    EXPECT_FALSE(profile.contains("SYS", "navtype"));
    EXPECT_EQ(profile.readInt("SYS", "navtype", 1000), 1000);
    EXPECT_EQ(profile.readString("SYS", "mainServerIP", "127.0.0.1"), "127.0.0.1");
    EXPECT_FALSE(std::filesystem::exists(m_path)) << "reading must not create the file";

    ASSERT_TRUE(profile.writeInt("SYS", "navtype", 0));
    EXPECT_EQ(content(), "[SYS]\r\nnavtype=0\r\n");
    EXPECT_EQ(profile.readInt("SYS", "navtype", 1000), 0);
}

TEST_F(ProfileFileTest, NamesMatchWithoutCaseAndValuesAreTrimmedRawBytes)
{
    // "网管" in GBK: the bytes are kept as they are.
    const std::string gbk = "\xcd\xf8\xb9\xdc";
    write("; comment\n[sys]\n  MainServerIP =  10.1.2.3  \nproduction=\"" + gbk + ",x\"\n"
          "[NAMES]\nname0=" + gbk + "\n");
    ProfileFile profile(m_path);
    EXPECT_EQ(profile.readString("SYS", "mainserverip"), "10.1.2.3");
    EXPECT_EQ(profile.readString("Sys", "PRODUCTION"), gbk + ",x") << "one pair of quotes is removed";
    EXPECT_EQ(profile.readString("names", "NAME0"), gbk);
    EXPECT_EQ(profile.readString("NAMES", "mainServerIP", "d"), "d") << "keys belong to their section";
    EXPECT_EQ(profile.readString("nosuch", "name0", "d"), "d");
}

TEST_F(ProfileFileTest, IntegersReadTheirLeadingNumber)
{
    write("[SYS]\na=8899\nb=-12\nc=12abc\nd=abc\ne=\nf=99999999999\n");
    ProfileFile profile(m_path);
    EXPECT_EQ(profile.readInt("SYS", "a", 1), 8899);
    EXPECT_EQ(profile.readInt("SYS", "b", 1), -12);
    EXPECT_EQ(profile.readInt("SYS", "c", 1), 12);
    EXPECT_EQ(profile.readInt("SYS", "d", 1), 0) << "a present but non-numeric value is 0";
    EXPECT_EQ(profile.readInt("SYS", "e", 1), 0);
    EXPECT_EQ(profile.readInt("SYS", "f", 1), 0x7fffffff) << "overflow saturates";
    EXPECT_EQ(profile.readInt("SYS", "g", 7), 7);
}

TEST_F(ProfileFileTest, WriteKeepsEveryOtherLine)
{
    write("; keep me\r\n[SYS]\r\nnav=1\r\n\r\nnavtype=1000\r\n\r\n[DATABASE]\r\nDSN=x\r\n");
    ProfileFile profile(m_path);
    ASSERT_TRUE(profile.writeInt("sys", "NAVTYPE", 0));
    EXPECT_EQ(content(), "; keep me\r\n[SYS]\r\nnav=1\r\n\r\nNAVTYPE=0\r\n\r\n[DATABASE]\r\nDSN=x\r\n");

    ASSERT_TRUE(profile.writeString("SYS", "sysdefaultuser", "admin"));
    EXPECT_EQ(content(), "; keep me\r\n[SYS]\r\nnav=1\r\n\r\nNAVTYPE=0\r\nsysdefaultuser=admin\r\n\r\n"
                         "[DATABASE]\r\nDSN=x\r\n")
        << "a new key goes after the last line of its section";

    ASSERT_TRUE(profile.writeString("NAMES", "namesCount", "1"));
    EXPECT_TRUE(content().ends_with("DSN=x\r\n[NAMES]\r\nnamesCount=1\r\n")) << content();
}

TEST_F(ProfileFileTest, WriteToLastLineWithoutEndAndUnwritablePath)
{
    write("[SYS]\nnav=2");
    ProfileFile profile(m_path);
    ASSERT_TRUE(profile.writeString("SYS", "navtype", "1"));
    EXPECT_EQ(content(), "[SYS]\nnav=2\nnavtype=1\n");

    // A last line ended by a lone CR: what is written after it starts a line
    // of its own instead of running on in the same line.
    write("[SYS]\r\nnav=2\r");
    ASSERT_TRUE(profile.writeString("StatView", "ID", "m1"));
    ASSERT_TRUE(profile.writeString("SYS", "navtype", "1"));
    EXPECT_EQ(content(), "[SYS]\r\nnav=2\r\nnavtype=1\r\n[StatView]\r\nID=m1\r\n");
    EXPECT_EQ(profile.readString("StatView", "ID"), "m1");
    EXPECT_EQ(profile.readInt("SYS", "nav", 0), 2);
    write("[SYS]\r");
    ASSERT_TRUE(profile.writeString("SYS", "nav", "3"));
    EXPECT_EQ(content(), "[SYS]\r\nnav=3\r\n");

    write("[SYS]\nnav=2\nnavtype=1\n");
    ProfileFile nowhere(m_dir.file("no/such/folder/x.ini"));
    EXPECT_FALSE(nowhere.writeString("SYS", "a", "b"));
    EXPECT_FALSE(profile.writeString("", "a", "b"));
    EXPECT_EQ(content(), "[SYS]\nnav=2\nnavtype=1\n");
}

} // namespace
