// Typed channel reads and writes of every width, and a reader facing a channel that gives nothing.
#include <gtest/gtest.h>

#include <string>

#include "host/base/channels.h"
#include "tests/platform/base/byte_channels.h"

namespace {

using BaseTest::ByteIChannel;
using BaseTest::ByteOChannel;

TEST(Channels, TypedValuesAreLittleEndian) {
    ByteOChannel out;
    ASSERT_EQ(out.Write(UInt32(0x01020304)), NoError);
    ASSERT_EQ(out.Write(Int32(-2)), NoError);
    ASSERT_EQ(out.Write(UInt16(0xA1B2)), NoError);
    ASSERT_EQ(out.Write(UInt8(0x7F)), NoError);
    EXPECT_EQ(out.Bytes(), std::string("\x04\x03\x02\x01\xFE\xFF\xFF\xFF\xB2\xA1\x7F", 11));

    ByteIChannel in(out.Bytes(), 1);  // one byte per ReadBin: the reads must loop
    UInt32 u32 = 0;
    Int32 i32 = 0;
    UInt16 u16 = 0;
    UInt8 u8 = 0;
    EXPECT_EQ(in.Read(u32), NoError);
    EXPECT_EQ(in.Read(i32), NoError);
    EXPECT_EQ(in.Read(u16), NoError);
    EXPECT_EQ(in.Read(u8), NoError);
    EXPECT_EQ(u32, 0x01020304u);
    EXPECT_EQ(i32, -2);
    EXPECT_EQ(u16, 0xA1B2);
    EXPECT_EQ(u8, 0x7F);
}

// A channel that hands over nothing but claims success must not make a reader spin.
class SilentChannel : public ByteIChannel {
public:
    SilentChannel() : ByteIChannel("") {}
    ZRErrCode ReadBin(char*, USize, USize* read) override {
        if (read != nullptr) *read = 0;
        return NoError;
    }
};

TEST(Channels, ReadExactlyStopsOnAChannelThatGivesNothing) {
    SilentChannel in;
    char bytes[4];
    EXPECT_EQ(in.ReadExactly(bytes, 4), ZR::ErrEndOfInput);
    EXPECT_EQ(in.ReadExactly(bytes, 0), NoError);
}

}  // namespace
