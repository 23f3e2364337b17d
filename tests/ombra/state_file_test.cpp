#include "ombra/state_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "ombra_run.h"

namespace Ombra {
namespace {

using Testing::ScriptFolder;

// The names in `folder`, so a test sees that no temporary file stayed behind.
std::vector<std::string> Entries(const ScriptFolder& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
        names.push_back(entry.path().filename().string());
    return names;
}

// A memory block holding `bytes`, freed with the object.
class Block {
public:
    explicit Block(const std::string& bytes) : handle(BMAllocateHandle(Int32(bytes.size()), 0, 0)) {
        if (!bytes.empty()) std::memcpy(*handle, bytes.data(), bytes.size());
    }
    Block() = default;
    ~Block() {
        if (handle != nullptr) BMKillHandle(&handle);
    }
    std::string Bytes() const { return std::string(*handle, size_t(BMGetHandleSize(handle))); }

    ZRHandle handle = nullptr;
};

// Sets an environment variable for the scope of a test, restoring it afterwards.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : name(name) {
        if (const char* old = std::getenv(name)) previous = old;
        value != nullptr ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedVariable() { previous ? setenv(name, previous->c_str(), 1) : unsetenv(name); }

private:
    const char* name;
    std::optional<std::string> previous;
};

TEST(StateFileTest, AMissingFileGivesNoBlock) {
    ScriptFolder folder;
    Block block;
    std::string error;
    EXPECT_TRUE(ReadStateFile(folder.PathOf("none"), block.handle, error));
    EXPECT_EQ(block.handle, nullptr);
    EXPECT_TRUE(ReadStateFile(folder.PathOf("no-folder/none"), block.handle, error));
    EXPECT_EQ(block.handle, nullptr);
}

TEST(StateFileTest, ReadGivesTheFileBytesExactly) {
    ScriptFolder folder;
    for (const std::string& bytes : {std::string(), std::string("\0\xFF\r\n x", 6)}) {
        folder.WriteFile("state", bytes);
        Block block;
        std::string error;
        ASSERT_TRUE(ReadStateFile(folder.PathOf("state"), block.handle, error)) << error;
        ASSERT_NE(block.handle, nullptr);
        EXPECT_EQ(block.Bytes(), bytes);
    }
}

TEST(StateFileTest, AFileThatCannotBeReadIsAnError) {
    ScriptFolder folder;
    folder.MakeFolder("state");
    Block block;
    std::string error;
    EXPECT_FALSE(ReadStateFile(folder.PathOf("state"), block.handle, error));
    EXPECT_EQ(block.handle, nullptr);
    EXPECT_EQ(error, "cannot read the state file '" + folder.PathOf("state") + "': it is a folder");
}

TEST(StateFileTest, WriteReplacesTheFileAndLeavesNoTemporary) {
    ScriptFolder folder;
    folder.WriteFile("state", "old bytes that are longer");
    Block block(std::string("new\0", 4));
    std::string error;
    ASSERT_TRUE(WriteStateFile(folder.PathOf("state"), block.handle, false, error)) << error;
    EXPECT_EQ(Testing::ReadBack(folder, "state"), std::string("new\0", 4));
    EXPECT_EQ(Entries(folder), std::vector<std::string>{"state"});
    Block empty("");
    ASSERT_TRUE(WriteStateFile(folder.PathOf("state"), empty.handle, false, error)) << error;
    EXPECT_EQ(Testing::ReadBack(folder, "state"), "");
}

TEST(StateFileTest, FoldersAreCreatedOnlyWhenAsked) {
    ScriptFolder folder;
    Block block("x");
    std::string error;
    EXPECT_FALSE(WriteStateFile(folder.PathOf("a/b/state"), block.handle, false, error));
    EXPECT_EQ(error.rfind("cannot write the state file '" + folder.PathOf("a/b/state") + "': ", 0),
              0u);
    EXPECT_FALSE(folder.Exists("a"));
    ASSERT_TRUE(WriteStateFile(folder.PathOf("a/b/state"), block.handle, true, error)) << error;
    EXPECT_EQ(Testing::ReadBack(folder, "a/b/state"), "x");
}

TEST(StateFileTest, AFailedWriteLeavesWhatWasThere) {
    ScriptFolder folder;
    folder.MakeFolder("state/inside");  // a folder where the file should be: the rename fails
    Block block("new");
    std::string error;
    EXPECT_FALSE(WriteStateFile(folder.PathOf("state"), block.handle, false, error));
    EXPECT_TRUE(folder.Exists("state/inside"));
    EXPECT_EQ(Entries(folder), std::vector<std::string>{"state"});
}

TEST(StateFileTest, TheDefaultFollowsTheUsersFolders) {
    struct Case {
        const char* stateHome;
        const char* home;
        std::string expected;
    };
    const Case cases[] = {
        {"/xdg", "/home/u", "/xdg/ombra/remembered-locations"},
        {nullptr, "/home/u", "/home/u/.local/state/ombra/remembered-locations"},
        {"relative", "/home/u", "/home/u/.local/state/ombra/remembered-locations"},
        {nullptr, nullptr, ""},
        {"", "relative", ""},
    };
    for (const Case& c : cases) {
        ScopedVariable stateHome("XDG_STATE_HOME", c.stateHome);
        ScopedVariable home("HOME", c.home);
        EXPECT_EQ(DefaultStateFile(), c.expected);
    }
}

}  // namespace
}  // namespace Ombra
