// Object frames: a round trip, and every kind of input that is not a frame of the expected class.
#include <gtest/gtest.h>

#include <string>

#include "host/base/streaming.h"
#include "tests/platform/base/byte_channels.h"

namespace {

using BaseTest::ByteIChannel;
using BaseTest::ByteOChannel;

const ZR::ClassInfo otherClass("ZR::Arrax", ZR::ClassVersion{1, 0});
const ZR::ClassInfo newerArray("ZR::Array", ZR::ClassVersion{2, 0});
const ZR::ClassInfo newerMinorArray("ZR::Array", ZR::ClassVersion{1, 7});

// A frame of `classInfo` around the 32-bit payload 0xC0FFEE.
std::string FrameBytes(const ZR::ClassInfo& classInfo) {
    ByteOChannel out;
    {
        ZR::OutputFrame frame(out, classInfo);
        EXPECT_EQ(frame.GetStatus(), NoError);
        EXPECT_EQ(out.Write(UInt32(0xC0FFEE)), NoError);
    }
    return out.Bytes();
}

GSErrCode ReadFrameStatus(const std::string& bytes) {
    ByteIChannel in(bytes);
    ZR::InputFrame frame(in, ZR::ArrayPrivate::classInfo);
    return frame.GetStatus();
}

TEST(Frames, RoundTripReadsPayloadAndEnd) {
    ByteIChannel in(FrameBytes(ZR::ArrayPrivate::classInfo), 3);
    {
        ZR::InputFrame frame(in, ZR::ArrayPrivate::classInfo);
        ASSERT_EQ(frame.GetStatus(), NoError);
        EXPECT_EQ(frame.GetVersion().major, 1);
        EXPECT_EQ(frame.GetVersion().minor, 0);
        UInt32 payload = 0;
        EXPECT_EQ(in.Read(payload), NoError);
        EXPECT_EQ(payload, 0xC0FFEEu);
    }
    EXPECT_EQ(in.Remaining(), 0u);
    EXPECT_EQ(in.GetInputStatus(), NoError);
}

TEST(Frames, ArrayClassInfoNamesTheArray) {
    EXPECT_STREQ(ZR::ArrayPrivate::classInfo.GetName(), "ZR::Array");
    EXPECT_EQ(ZR::ClassInfo(nullptr, {}).GetName(), std::string());
}

TEST(Frames, NewerMinorVersionIsReadable) {
    ByteIChannel in(FrameBytes(newerMinorArray));
    ZR::InputFrame frame(in, ZR::ArrayPrivate::classInfo);
    EXPECT_EQ(frame.GetStatus(), NoError);
    EXPECT_EQ(frame.GetVersion().minor, 7);
}

TEST(Frames, ForeignBytesAreRejected) {
    const std::string valid = FrameBytes(ZR::ArrayPrivate::classInfo);
    std::string wrongMagic = valid;
    wrongMagic[0] ^= 1;
    std::string longerName = valid;
    longerName[4] = 10;
    std::string hugeName = valid;
    hugeName[4] = hugeName[5] = '\xFF';
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"wrong magic", wrongMagic},
        {"other class", FrameBytes(otherClass)},
        {"other name length", longerName},
        {"huge name length", hugeName},
        {"newer major version", FrameBytes(newerArray)},
        {"text", "just some text that is long enough"},
    };
    for (const auto& c : cases) EXPECT_NE(ReadFrameStatus(c.bytes), NoError) << c.name;
}

TEST(Frames, EveryTruncatedStartIsRejected) {
    const std::string valid = FrameBytes(ZR::ArrayPrivate::classInfo);
    const size_t startSize = valid.size() - 8;  // without payload and end
    for (size_t length = 0; length < startSize; ++length) {
        EXPECT_NE(ReadFrameStatus(valid.substr(0, length)), NoError) << "length " << length;
    }
    EXPECT_EQ(ReadFrameStatus(valid.substr(0, startSize)), NoError);
}

TEST(Frames, RejectionReadsNoFurtherThanTheFixedFields) {
    std::string bytes = FrameBytes(ZR::ArrayPrivate::classInfo);
    bytes[4] = 10;  // a name length other than the expected one: the name is not read
    ByteIChannel in(bytes);
    {
        ZR::InputFrame frame(in, ZR::ArrayPrivate::classInfo);
        EXPECT_EQ(frame.GetStatus(), ZR::ErrBadFrame);
    }
    EXPECT_EQ(in.Remaining(), bytes.size() - 6);  // the failed frame consumed no end either
}

TEST(Frames, OutputFrameOnAFullChannelReportsAndWritesNoEnd) {
    for (size_t capacity : {0, 5, 14}) {
        ByteOChannel out(capacity);
        {
            ZR::OutputFrame frame(out, ZR::ArrayPrivate::classInfo);
            EXPECT_EQ(frame.GetStatus(), BaseTest::ChannelFull) << capacity;
        }
        EXPECT_LE(out.Bytes().size(), capacity);
    }
}

}  // namespace
