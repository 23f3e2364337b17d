// The object library: which file a name finds among the library's folder trees.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/interpreter/object_library.h"
#include "tests/platform/filesystem/file_helpers.h"

namespace {

namespace fs = std::filesystem;

ZR::UniString U(const std::string& text) {
    return ZR::UniString(text.c_str(), USize(text.size()), CC_UTF8);
}

class ObjectLibraryTest : public ::testing::Test {
protected:
    void TearDown() override { SetObjectLibraryFolders({}); }

    // Makes the file `name` (with its folders) in the scratch folder.
    void Make(const std::string& name) {
        fs::create_directories(fs::path(folder.PathOf(name)).parent_path());
        ASSERT_TRUE(folder.WriteFile(name, name));
    }
    void MakeFolder(const std::string& name) { fs::create_directories(folder.PathOf(name)); }

    // The path (below the scratch folder) that `name` finds in `roots`, or "" when none.
    std::string Find(const std::vector<std::string>& roots, const std::string& name) {
        std::vector<IO::Location> folders;
        for (const std::string& root : roots) folders.push_back(folder.LocationOf(root));
        IO::Location found(U("/untouched"));
        Int16 status = FindFileInFolders(folders, U(name), found);
        if (status != 0) {
            EXPECT_EQ(status, IO::ErrNotFound);
            EXPECT_EQ(found, IO::Location(U("/untouched")));
            return "";
        }
        std::string path = found.ToPath();
        EXPECT_EQ(path.rfind(folder.Path() + "/", 0), 0u) << path;
        return path.substr(folder.Path().size() + 1);
    }

    OmbraTest::TempFolder folder;
};

TEST_F(ObjectLibraryTest, PlainNameIsFoundBreadthFirstInSortedOrder) {
    Make("lib/b/deep/x.txt");
    Make("lib/c/x.txt");
    EXPECT_EQ(Find({"lib"}, "x.txt"), "lib/c/x.txt");
    Make("lib/a/x.txt");
    EXPECT_EQ(Find({"lib"}, "x.txt"), "lib/a/x.txt");
    Make("lib/x.txt");
    EXPECT_EQ(Find({"lib"}, "x.txt"), "lib/x.txt");
}

TEST_F(ObjectLibraryTest, FirstFolderInConfigurationOrderWins) {
    Make("one/deep/er/x.txt");
    Make("two/x.txt");
    EXPECT_EQ(Find({"one", "two"}, "x.txt"), "one/deep/er/x.txt");
    EXPECT_EQ(Find({"two", "one"}, "x.txt"), "two/x.txt");
    EXPECT_EQ(Find({"missing", "two"}, "x.txt"), "two/x.txt");
}

TEST_F(ObjectLibraryTest, ExactNameAnywhereWinsOverACaseInsensitiveMatch) {
    Make("one/X.TXT");
    Make("two/deep/x.txt");
    EXPECT_EQ(Find({"one", "two"}, "x.txt"), "two/deep/x.txt");
    EXPECT_EQ(Find({"one", "two"}, "X.txt"), "one/X.TXT");
    Make("three/\xC3\xA4pfel.txt");
    EXPECT_EQ(Find({"three"}, "\xC3\x84PFEL.TXT"), "three/\xC3\xA4pfel.txt");
}

TEST_F(ObjectLibraryTest, FoldersNeverMatchAName) {
    MakeFolder("lib/a/x.txt");
    EXPECT_EQ(Find({"lib"}, "x.txt"), "");
    Make("lib/b/x.txt");
    EXPECT_EQ(Find({"lib"}, "x.txt"), "lib/b/x.txt");
}

TEST_F(ObjectLibraryTest, NameWithAFolderPartIsAPathUnderEachLibraryFolder) {
    Make("lib/other/sub/x.txt");
    EXPECT_EQ(Find({"lib"}, "sub/x.txt"), "");
    Make("lib/sub/x.txt");
    EXPECT_EQ(Find({"lib"}, "sub/x.txt"), "lib/sub/x.txt");
    EXPECT_EQ(Find({"lib"}, "sub\\x.txt"), "lib/sub/x.txt");
    EXPECT_EQ(Find({"lib"}, "/sub/x.txt"), "lib/sub/x.txt");
    EXPECT_EQ(Find({"lib"}, "SUB/X.txt"), "lib/sub/x.txt");
    Make("first/SUB/x.txt");
    EXPECT_EQ(Find({"first", "lib"}, "sub/x.txt"), "lib/sub/x.txt");
    EXPECT_EQ(Find({"first", "lib"}, "Sub/x.txt"), "first/SUB/x.txt");
}

TEST_F(ObjectLibraryTest, NamesThatWouldLeaveTheLibraryAreNeverFound) {
    Make("outside.txt");
    Make("lib/sub/in.txt");
    for (const char* name : {"../outside.txt", "sub/../in.txt", "./sub/in.txt", "", "/", "sub/"})
        EXPECT_EQ(Find({"lib"}, name), "") << name;
    EXPECT_EQ(Find({"lib"}, "in.txt"), "lib/sub/in.txt");
}

TEST_F(ObjectLibraryTest, FolderLinksAreSearchedOnce) {
    MakeFolder("lib/sub");
    fs::create_directory_symlink(folder.PathOf("lib"), folder.PathOf("lib/sub/loop"));
    EXPECT_EQ(Find({"lib"}, "absent.txt"), "");
    Make("lib/sub/found.txt");
    EXPECT_EQ(Find({"lib"}, "found.txt"), "lib/sub/found.txt");
}

TEST_F(ObjectLibraryTest, InterpreterLookupUsesTheConfiguredFolders) {
    Make("lib/part.txt");
    IO::Location found;
    EXPECT_NE(LibraryFileToLocation(U("part.txt"), found), 0);
    SetObjectLibraryFolders({folder.LocationOf("lib")});
    EXPECT_EQ(LibraryFileToLocation(U("part.txt"), found), 0);
    EXPECT_EQ(found, folder.LocationOf("lib/part.txt"));
}

}  // namespace
