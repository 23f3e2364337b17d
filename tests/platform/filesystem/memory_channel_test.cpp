#include <gtest/gtest.h>

#include <string>

#include "host/filesystem.h"

namespace {

TEST(MemoryChannelTest, InputReadsPeeksAndSticksAtItsEnd) {
    const std::string bytes("ab\0cd", 5);
    IO::MemoryIChannel in(bytes.data(), USize(bytes.size()));
    char buffer[8] = {};
    USize got = 0;
    EXPECT_EQ(in.ReadBin(buffer, 2, &got), NoError);
    EXPECT_EQ(std::string(buffer, got), "ab");
    const char* data = nullptr;
    USize available = 0;
    ASSERT_EQ(in.PeekBuffer(&data, &available), NoError);
    EXPECT_EQ(std::string(data, available), std::string("\0cd", 3));
    in.Advance(1);
    UInt64 offset = 0;
    EXPECT_EQ(in.GetReadOffset(&offset), NoError);
    EXPECT_EQ(offset, 3u);
    EXPECT_EQ(in.ReadBin(buffer, 8, &got), NoError);  // fewer than asked at the end
    EXPECT_EQ(std::string(buffer, got), "cd");
    EXPECT_EQ(in.GetInputStatus(), NoError);
    in.Advance(100);  // nothing left to skip
    EXPECT_EQ(in.ReadBin(buffer, 1, &got), IO::ErrEndOfFile);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(in.PeekBuffer(&data, &available), IO::ErrEndOfFile);
    EXPECT_EQ(in.GetInputStatus(), IO::ErrEndOfFile);
    UInt32 value = 0;
    EXPECT_NE(in.Read(value), NoError);
}

TEST(MemoryChannelTest, OutputGrowsAndAFailureRefusesLaterWrites) {
    IO::MemoryOChannel out;
    const std::string big(200000, 'q');
    ASSERT_EQ(out.WriteBin("<", 1), NoError);
    ASSERT_EQ(out.WriteBin(big.data(), USize(big.size())), NoError);
    EXPECT_EQ(std::string(out.GetDestination(), out.GetDataSize()), "<" + big);
    EXPECT_EQ(out.WriteBin(nullptr, 1), ErrParam);
    EXPECT_EQ(out.WriteBin("x", 1), ErrParam);
    EXPECT_EQ(out.GetOutputStatus(), ErrParam);
    EXPECT_EQ(out.GetDataSize(), big.size() + 1);
}

}  // namespace
