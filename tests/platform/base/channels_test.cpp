// Typed channel reads and writes, and UniString serialization, including short and corrupt input.
#include <gtest/gtest.h>

#include <string>

#include "host/base/channels.h"
#include "host/base/unistring.h"
#include "tests/platform/base/byte_channels.h"

namespace {

using BaseTest::ByteIChannel;
using BaseTest::ByteOChannel;
using ZR::UniString;

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

TEST(Channels, ShortInputFailsAndLeavesTheValue) {
    ByteIChannel in(std::string("\x01\x02\x03", 3));
    UInt32 value = 99;
    EXPECT_NE(in.Read(value), NoError);
    EXPECT_EQ(value, 99u);
    EXPECT_NE(in.GetInputStatus(), NoError);
}

// A channel that hands over nothing but claims success must not make a reader spin.
class SilentChannel : public ByteIChannel {
public:
    SilentChannel() : ByteIChannel("") {}
    GSErrCode ReadBin(char*, USize, USize* read) override {
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

std::string Serialized(const UniString& text) {
    ByteOChannel out;
    EXPECT_EQ(text.Write(out), NoError);
    return out.Bytes();
}

TEST(UniStringChannels, WritesCountThenLittleEndianUnits) {
    EXPECT_EQ(Serialized(UniString(u"A\u20AC")), std::string("\x02\0\0\0A\0\xAC\x20", 8));
    EXPECT_EQ(Serialized(UniString()), std::string(4, '\0'));
}

TEST(UniStringChannels, RoundTrips) {
    const UniString texts[] = {
        UniString(),
        UniString(u"plain"),
        UniString(std::u16string(u"nul\0inside", 10)),
        UniString(u"\U0001F600\xDCFF\uFFFF"),
        UniString(std::u16string(100000, u'\u00E9')),  // more than one read chunk
    };
    for (const UniString& text : texts) {
        ByteIChannel in(Serialized(text), 7);
        UniString read(u"old");
        ASSERT_EQ(read.Read(in), NoError);
        EXPECT_EQ(read, text);
        EXPECT_EQ(in.Remaining(), 0u);
    }
}

TEST(UniStringChannels, EveryTruncationFailsAndKeepsTheString) {
    const std::string bytes = Serialized(UniString(u"abc"));
    for (size_t length = 0; length < bytes.size(); ++length) {
        ByteIChannel in(bytes.substr(0, length));
        UniString text(u"kept");
        EXPECT_NE(text.Read(in), NoError) << "length " << length;
        EXPECT_EQ(text, UniString(u"kept"));
    }
}

TEST(UniStringChannels, AnAbsurdCountFailsWithoutHugeAllocation) {
    for (const UInt32 count : {0xFFFFFFFFu, 0x80000000u, 40000u}) {
        ByteOChannel out;
        out.Write(count);
        out.WriteBin("a\0b\0", 4);
        ByteIChannel in(out.Bytes());
        UniString text(u"kept");
        EXPECT_NE(text.Read(in), NoError);
        EXPECT_EQ(text, UniString(u"kept"));
    }
}

TEST(UniStringChannels, WriteReportsTheChannelFailure) {
    for (size_t capacity : {0, 3, 4, 5}) {
        ByteOChannel out(capacity);
        EXPECT_EQ(UniString(u"abc").Write(out), BaseTest::ChannelFull) << capacity;
    }
}

}  // namespace
