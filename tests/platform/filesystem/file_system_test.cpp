#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "host/filesystem.h"
#include "tests/platform/filesystem/file_helpers.h"

namespace {

IO::Name NameOf(const char* text) {
    return IO::Name(ZR::UniString(text));
}

TEST(FileSystemTest, RenameReplacesTheTargetAndDeleteRemoves) {
    OmbraTest::TempFolder folder;
    ASSERT_TRUE(folder.WriteFile("data.txt", "old"));
    ASSERT_TRUE(folder.WriteFile("data.txt.tmp", "new"));
    EXPECT_EQ(IO::fileSystem.Rename(folder.LocationOf("data.txt.tmp"), NameOf("data.txt")),
              NoError);
    EXPECT_EQ(folder.ReadFile("data.txt"), "new");
    EXPECT_FALSE(IO::fileSystem.Exists(folder.LocationOf("data.txt.tmp")));
    EXPECT_EQ(IO::fileSystem.Rename(folder.LocationOf("gone"), NameOf("x")), IO::ErrNotFound);
    EXPECT_EQ(IO::fileSystem.Rename(folder.LocationOf("data.txt"), NameOf("a/b")), IO::ErrBadName);

    EXPECT_TRUE(IO::fileSystem.Exists(folder.LocationOf("data.txt")));
    EXPECT_EQ(IO::fileSystem.Delete(folder.LocationOf("data.txt")), NoError);
    EXPECT_FALSE(IO::fileSystem.Exists(folder.LocationOf("data.txt")));
    EXPECT_EQ(IO::fileSystem.Delete(folder.LocationOf("data.txt")), IO::ErrNotFound);
    EXPECT_EQ(IO::fileSystem.Delete(folder.Location()), IO::ErrNotAFile);
    EXPECT_EQ(IO::fileSystem.SyncFolder(folder.Location()), NoError);
    EXPECT_EQ(IO::fileSystem.SyncFolder(folder.LocationOf("none")), IO::ErrNotFound);
}

TEST(FileSystemTest, FoldersAreFoundAndCreated) {
    OmbraTest::TempFolder folder;
    ASSERT_TRUE(folder.WriteFile("file", ""));
    EXPECT_EQ(IO::Folder(folder.LocationOf("file")).GetStatus(), IO::ErrNotAFolder);
    IO::Folder missing(folder.LocationOf("missing"));
    EXPECT_EQ(missing.GetStatus(), IO::ErrNotFound);
    EXPECT_EQ(missing.CreateFolder(NameOf("x")), IO::ErrNotFound);

    IO::Folder parent(folder.Location());
    ASSERT_EQ(parent.GetStatus(), NoError);
    EXPECT_EQ(parent.CreateFolder(NameOf("Data Folder")), NoError);
    EXPECT_EQ(parent.CreateFolder(NameOf("Data Folder")), IO::ErrExists);
    EXPECT_EQ(parent.CreateFolder(IO::Name()), IO::ErrBadName);
    EXPECT_EQ(IO::Folder(folder.LocationOf("Data Folder")).GetStatus(), NoError);
}

TEST(FileSystemTest, BaseFolderIsTheCurrentFolderUntilSet) {
    IO::Location base;
    ASSERT_EQ(IO::fileSystem.GetSpecialLocation(IO::BaseFolderId, &base), NoError);
    char current[4096];
    ASSERT_NE(getcwd(current, sizeof current), nullptr);
    EXPECT_EQ(base.ToPath(), current);  // tests that set it restore it
    EXPECT_EQ(IO::fileSystem.GetSpecialLocation(99, &base), ErrParam);
}

}  // namespace
