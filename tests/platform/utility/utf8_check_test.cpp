#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

#include "host/utility.h"
#include "tests/platform/filesystem/scratch_folder.h"

namespace {

TEST(CheckTextFileUTF8Test, OnlyAFileThatBeginsWithTheMarkIsUTF8) {
    FsTest::ScratchFolder folder;
    const struct {
        const char* name;
        std::string bytes;
        bool utf8;
    } cases[] = {
        {"marked", "\xEF\xBB\xBFkey\tvalue\r", true},
        {"mark only", "\xEF\xBB\xBF", true},
        {"plain", "key\tvalue\r", false},
        {"empty", "", false},
        {"two bytes", "\xEF\xBB", false},
        {"mark later", "a\xEF\xBB\xBF", false},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        ASSERT_TRUE(folder.Write(test.name, test.bytes));
        EXPECT_EQ(IOUtil::CheckTextFileUTF8(folder.LocationOf(test.name)), test.utf8);
    }
    EXPECT_FALSE(IOUtil::CheckTextFileUTF8(folder.LocationOf("missing")));
    ASSERT_EQ(mkdir(folder.PathOf("folder").c_str(), 0755), 0);
    EXPECT_FALSE(IOUtil::CheckTextFileUTF8(folder.LocationOf("folder")));
}

}  // namespace
