// The remembered-locations file where no script case reaches: its default place, made from the
// environment, and the folders a write makes only when asked; a failed write leaves what was there.
#include "ombra/state_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/temp_folder.h"

namespace Ombra {
namespace {

void Set(const char* name, const char* value) {
    value != nullptr ? setenv(name, value, 1) : unsetenv(name);
}

TEST(StateFileTest, TheDefaultFollowsTheUsersFolders) {
    const struct {
        const char* stateHome;
        const char* home;
        std::string expected;
    } cases[] = {
        {"/xdg", "/home/u", "/xdg/ombra/remembered-locations"},
        {nullptr, "/home/u", "/home/u/.local/state/ombra/remembered-locations"},
        {"relative", "/home/u", "/home/u/.local/state/ombra/remembered-locations"},
        {nullptr, nullptr, ""},
        {"", "relative", ""},
    };
    const std::string home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
    for (const auto& c : cases) {
        Set("XDG_STATE_HOME", c.stateHome);
        Set("HOME", c.home);
        EXPECT_EQ(DefaultStateFile(), c.expected);
    }
    unsetenv("XDG_STATE_HOME");
    Set("HOME", home.empty() ? nullptr : home.c_str());
}

TEST(StateFileTest, WritesMakeFoldersOnlyWhenAskedAndFailuresLeaveWhatWasThere) {
    OmbraTest::TempFolder folder;
    ZRHandle block = BMAllocateHandle(1, 0, 0);
    **block = 'x';
    std::string error;
    EXPECT_FALSE(WriteStateFile(folder.PathOf("a/b/state"), block, false, error));
    EXPECT_EQ(error.rfind("cannot write the state file '" + folder.PathOf("a/b/state") + "': ", 0),
              0u);
    EXPECT_FALSE(folder.Exists("a"));
    EXPECT_TRUE(WriteStateFile(folder.PathOf("a/b/state"), block, true, error)) << error;
    EXPECT_EQ(folder.ReadFile("a/b/state"), "x");
    ASSERT_TRUE(folder.MakeFolder("c/inside"));  // a folder where the file should be
    EXPECT_FALSE(WriteStateFile(folder.PathOf("c"), block, false, error));
    EXPECT_TRUE(folder.Exists("c/inside"));
    const std::filesystem::directory_iterator entries(folder.Path());  // no temporary stays
    EXPECT_EQ(std::distance(begin(entries), end(entries)), 2);
    BMKillHandle(&block);
}

}  // namespace
}  // namespace Ombra
