#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/utility.h"
#include "platform/filesystem/fault_injection.h"
#include "platform/filesystem/file_impl.h"
#include "tests/platform/filesystem/file_helpers.h"

namespace {

namespace FI = IO::FaultInjection;
using Lines = std::vector<std::string>;

// Every line of the channel, encoded back to bytes in the encoding it was read with.
Lines ReadLines(ZR::IChannel& channel, bool utf8) {
    Lines lines;
    ZR::UniString line;
    ZRErrCode status;
    while ((status = IOUtil::GetTextLine(channel, line, utf8)) == NoError) {
        lines.emplace_back();
        line.AppendBytes(lines.back(), utf8 ? CC_UTF8 : CC_Default);
    }
    EXPECT_EQ(status, IO::ErrEndOfFile);
    return lines;
}

Lines LinesOf(const std::string& bytes, bool utf8) {
    IO::MemoryIChannel channel(bytes.data(), USize(bytes.size()));
    return ReadLines(channel, utf8);
}

TEST(TextLineTest, SplitsAtEveryKindOfTerminatorAndKeepsBytes) {
    const std::string bom = "\xEF\xBB\xBF";
    const struct {
        std::string bytes;
        bool utf8;
        Lines lines;
    } cases[] = {
        {"a\rb\rc\r", false, {"a", "b", "c"}},
        {"a\nb\n", false, {"a", "b"}},
        {"a\r\nb\r\n", true, {"a", "b"}},
        {"a\r\n\nb\rc\n\rd", false, {"a", "", "b", "c", "", "d"}},
        {"a\rb", false, {"a", "b"}},
        {"", true, {}},
        {"\r", false, {""}},
        {"a\r", false, {"a"}},
        {"a\r\r", false, {"a", ""}},
        {"\n\r\n\r", false, {"", "", ""}},
        {std::string("x\0y\r\xFF\x81\x9D\r", 8), false, {std::string("x\0y", 3), "\xFF\x81\x9D"}},
        {std::string("x\0\xC3\x28\xF0\x9F\r\xED\xA0\x80", 10),
         true,
         {std::string("x\0\xC3\x28\xF0\x9F", 6), "\xED\xA0\x80"}},
        {bom + "a\rb", true, {"a", "b"}},
        {bom + "a\rb", false, {bom + "a", "b"}},
        {"a\r" + bom + "b", true, {"a", bom + "b"}},
        {bom, true, {}},
        {"\xEF\xBB", true, {"\xEF\xBB"}},
        {"one line without end, 40 bytes long....",
         true,
         {"one line without end, 40 bytes long...."}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(testing::PrintToString(test.bytes) + (test.utf8 ? " utf8" : ""));
        EXPECT_EQ(LinesOf(test.bytes, test.utf8), test.lines);
    }
}

TEST(TextLineTest, EndOfInputLeavesTheLineUnchanged) {
    IO::MemoryIChannel channel("", 0);
    ZR::UniString line(u"kept");
    EXPECT_EQ(IOUtil::GetTextLine(channel, line, true), IO::ErrEndOfFile);
    EXPECT_EQ(line, ZR::UniString(u"kept"));
}

class TextLineFileTest : public testing::Test {
protected:
    void TearDown() override { FI::Reset(); }

    std::unique_ptr<IO::File> FileWith(const std::string& bytes) {
        EXPECT_TRUE(folder.WriteFile("f", bytes));
        return FsTest::OpenFile(folder.LocationOf("f"), IO::File::ReadMode);
    }

    OmbraTest::TempFolder folder;
};

TEST_F(TextLineFileTest, TerminatorsAcrossTheBufferBoundary) {
    const std::string full(IO::FileBufferSize - 1, 'a');  // its CR is the buffer's last byte
    const std::string spanning(IO::FileBufferSize + 100, 's');
    const struct {
        std::string bytes;
        Lines lines;
    } cases[] = {
        {full + "\r\nb\r", {full, "b"}},
        {full + "\rc", {full, "c"}},
        {full + "\r", {full}},
        {full + "\n\r\n", {full, ""}},
        {spanning + "\r\nx", {spanning, "x"}},
        {"ab\r" + spanning, {"ab", spanning}},
    };
    for (const auto& test : cases) {
        auto file = FileWith(test.bytes);
        ASSERT_TRUE(file);
        EXPECT_EQ(ReadLines(*file, false), test.lines);
    }
}

TEST_F(TextLineFileTest, PositionFollowsEachLineAndReadsComeInBlocks) {
    std::string bytes;
    std::vector<UInt32> starts;
    for (int i = 0; i < 5000; ++i) {
        starts.push_back(UInt32(bytes.size()));
        bytes += "key" + std::to_string(100000 + i) + "\tsome field text here\r\n";
    }
    auto file = FileWith(bytes);
    ASSERT_TRUE(file);
    FI::StartCounting();
    ZR::UniString line;
    for (size_t i = 0; i < starts.size(); ++i) {
        UInt32 position = 0;
        ASSERT_EQ(file->GetDataPosition(&position), NoError);
        ASSERT_EQ(position, starts[i]);
        ASSERT_EQ(IOUtil::GetTextLine(*file, line, false), NoError);
    }
    EXPECT_EQ(IOUtil::GetTextLine(*file, line, false), IO::ErrEndOfFile);
    EXPECT_EQ(FI::GetCallCount(FI::Op::Read), bytes.size() / IO::FileBufferSize + 2);
    ASSERT_EQ(file->SetDataPosition(Int32(starts[7])), NoError);
    ASSERT_EQ(IOUtil::GetTextLine(*file, line, true), NoError);
    EXPECT_EQ(line, ZR::UniString("key100007\tsome field text here"));
}

TEST_F(TextLineFileTest, LongLinesAndReadFailures) {
    const std::string huge(10 * 1000 * 1000, 'h');
    auto file = FileWith(huge + "\rtail");
    ASSERT_TRUE(file);
    EXPECT_EQ(ReadLines(*file, true), (Lines{huge, "tail"}));

    ASSERT_EQ(file->SetDataPosition(0), NoError);
    FI::FailCall(FI::Op::Read, 3, {EIO});  // in the middle of the long line
    ZR::UniString line(u"kept");
    EXPECT_EQ(IOUtil::GetTextLine(*file, line, true), IO::ErrIO);
    EXPECT_EQ(line, ZR::UniString(u"kept"));
    EXPECT_EQ(file->GetInputStatus(), IO::ErrIO);
}

}  // namespace
