#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "orb/plugin/pluginlibrary.h"

namespace {

const PluginInterface Fake{"fake", "GetFakeInstance", "GetFakeApiVersion", 7};
const std::vector<std::string> Folders{FAKE_PLUGIN_DIR};

bool Contains(const std::string &text, const std::string &part)
{
    return text.find(part) != std::string::npos;
}

TEST(PluginLibrary, FindsLibrariesByShortNameAndCreatesThroughTheFactory)
{
    for (const char *name : {"FakePluginGood", "libFakePluginGood", "FakePluginGood.so", "libFakePluginGood.so",
                             FAKE_PLUGIN_DIR "/libFakePluginGood.so"}) {
        SCOPED_TRACE(name);
        PluginLibrary plugin = PluginLibrary::open(name, Fake, {"/nonexistent", FAKE_PLUGIN_DIR});
        ASSERT_TRUE(plugin.ready()) << plugin.detail();
        EXPECT_EQ(plugin.path(), FAKE_PLUGIN_DIR "/libFakePluginGood.so");
        std::unique_ptr<int> made = plugin.create<int>();
        ASSERT_TRUE(made);
        EXPECT_EQ(*made, 42);
        EXPECT_TRUE(plugin.detail().empty());

        // Moving keeps one owner of the handle; release unloads.
        PluginLibrary moved = std::move(plugin);
        EXPECT_FALSE(plugin.ready());
        EXPECT_TRUE(moved.ready());
        moved.release();
        EXPECT_FALSE(moved.ready());
        EXPECT_FALSE(moved.create<int>());
    }
}

TEST(PluginLibrary, RefusesBrokenLibrariesWithAReason)
{
    struct Case
    {
        const char *name;
        PluginLibrary::Outcome outcome;
        const char *detail;
    };
    const Case cases[] = {
        {"libFakePluginMissing.so", PluginLibrary::Outcome::NotLoaded, "cannot load the fake library libFakePluginMissing.so"},
        {"FakePluginNoExport", PluginLibrary::Outcome::NoFactory, "does not export GetFakeApiVersion: it is not a fake library"},
        {"FakePluginOld", PluginLibrary::Outcome::VersionMismatch,
         "was built for fake interface version 6, this program needs version 7"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        PluginLibrary plugin = PluginLibrary::open(c.name, Fake, Folders);
        EXPECT_EQ(plugin.outcome(), c.outcome);
        EXPECT_TRUE(Contains(plugin.detail(), c.detail)) << plugin.detail();
        EXPECT_FALSE(plugin.create<int>()) << "the factory of a refused library is never called";
    }

    // A file that is no library: the loader's own reason is kept.
    const std::string junk = std::string(FAKE_PLUGIN_DIR) + "/libJunk.so";
    std::ofstream(junk) << "not an ELF file";
    PluginLibrary plugin = PluginLibrary::open("Junk", Fake, {"/nonexistent", FAKE_PLUGIN_DIR});
    std::filesystem::remove(junk);
    EXPECT_EQ(plugin.outcome(), PluginLibrary::Outcome::NotLoaded);
    EXPECT_TRUE(Contains(plugin.detail(), "libJunk.so")) << plugin.detail();
    EXPECT_TRUE(Contains(plugin.detail(), "check the file name")) << plugin.detail();
}

TEST(PluginLibrary, FactoryFailuresStayInsideAndAreNamed)
{
    const std::pair<const char *, const char *> cases[] = {
        {"FakePluginNull", "the fake factory gave no instance"},
        {"FakePluginThrows", "the fake factory failed: no instance today"},
        {"FakePluginOdd", "the fake factory failed with an exception"},
    };
    for (const auto &[name, detail] : cases) {
        SCOPED_TRACE(name);
        PluginLibrary plugin = PluginLibrary::open(name, Fake, Folders);
        ASSERT_TRUE(plugin.ready()) << plugin.detail();
        EXPECT_FALSE(plugin.create<int>());
        EXPECT_TRUE(Contains(plugin.detail(), detail)) << plugin.detail();
        EXPECT_TRUE(Contains(plugin.detail(), plugin.path())) << plugin.detail();
    }
}

} // namespace
