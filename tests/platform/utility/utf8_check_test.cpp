#include <gtest/gtest.h>

#include <sys/stat.h>

#include <memory>
#include <string>

#include "host/utility.h"
#include "platform/filesystem/fault_injection.h"
#include "tests/platform/filesystem/file_helpers.h"

namespace {

TEST(CheckTextFileUTF8Test, OnlyAFileThatBeginsWithTheMarkIsUTF8) {
    OmbraTest::TempFolder folder;
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
        ASSERT_TRUE(folder.WriteFile(test.name, test.bytes));
        EXPECT_EQ(IOUtil::CheckTextFileUTF8(folder.LocationOf(test.name)), test.utf8);
        // An open file: only the mark's bytes read, and the position left at 0.
        std::unique_ptr<IO::File> file;
        ASSERT_EQ(IO::File::New(file, folder.LocationOf(test.name), IO::File::Fail), NoError);
        ASSERT_EQ(file->Open(IO::File::ReadMode), NoError);
        IO::FaultInjection::StartCounting();
        EXPECT_EQ(IOUtil::CheckTextFileUTF8(*file), test.utf8);
        // One read of three bytes (a shorter file takes more to meet its end).
        if (test.bytes.size() >= 3) {
            EXPECT_EQ(IO::FaultInjection::GetCallCount(IO::FaultInjection::Op::Read), 1u);
        }
        IO::FaultInjection::Reset();
        UInt32 position = 1;
        EXPECT_EQ(file->GetDataPosition(&position), NoError);
        EXPECT_EQ(position, 0u);
    }
    EXPECT_FALSE(IOUtil::CheckTextFileUTF8(folder.LocationOf("missing")));
    ASSERT_EQ(mkdir(folder.PathOf("folder").c_str(), 0755), 0);
    EXPECT_FALSE(IOUtil::CheckTextFileUTF8(folder.LocationOf("folder")));
}

}  // namespace
