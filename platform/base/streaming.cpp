// Object frames. A frame start is the start magic, the class name (a 16-bit byte count and the
// bytes) and the class version (16-bit major, 16-bit minor); a frame end is the end magic. All
// numbers little-endian. A reader accepts a frame of its own class whose major version is not
// newer than its own; it never reads more than the frame start's fixed fields and the expected
// name, and allocates nothing.
#include "host/base/streaming.h"

#include <algorithm>
#include <cstring>

namespace ZR {

namespace {

constexpr UInt32 FrameStartMagic = FourCharCode("ZFR{");
constexpr UInt32 FrameEndMagic = FourCharCode("ZFR}");
constexpr size_t MaxNameLength = 0xFFFF;

ZRErrCode WriteFrameStart(OChannel& channel, const ClassInfo& classInfo) {
    const char* name = classInfo.GetName();
    const size_t length = std::strlen(name);
    if (length > MaxNameLength) return ErrParam;
    ZRErrCode status = channel.Write(FrameStartMagic);
    if (status == NoError) status = channel.Write(UInt16(length));
    if (status == NoError && length > 0) status = channel.WriteBin(name, USize(length));
    if (status == NoError) status = channel.Write(classInfo.GetVersion().major);
    if (status == NoError) status = channel.Write(classInfo.GetVersion().minor);
    return status;
}

// Reads `length` bytes and compares them with `expected`, a piece at a time.
ZRErrCode ReadExpectedName(IChannel& channel, const char* expected, size_t length) {
    char piece[64];
    for (size_t done = 0; done < length;) {
        const size_t count = std::min(sizeof piece, length - done);
        const ZRErrCode status = channel.ReadExactly(piece, USize(count));
        if (status != NoError) return status;
        if (std::memcmp(piece, expected + done, count) != 0) return ErrBadFrame;
        done += count;
    }
    return NoError;
}

ZRErrCode ReadClassName(IChannel& channel, const char* expected) {
    UInt16 length = 0;
    const ZRErrCode status = channel.Read(length);
    if (status != NoError) return status;
    if (length != std::strlen(expected)) return ErrBadFrame;
    return ReadExpectedName(channel, expected, length);
}

ZRErrCode ReadFrameStart(IChannel& channel, const ClassInfo& classInfo, ClassVersion& version) {
    UInt32 magic = 0;
    ZRErrCode status = channel.Read(magic);
    if (status == NoError && magic != FrameStartMagic) status = ErrBadFrame;
    if (status == NoError) status = ReadClassName(channel, classInfo.GetName());
    ClassVersion stored;
    if (status == NoError) status = channel.Read(stored.major);
    if (status == NoError) status = channel.Read(stored.minor);
    if (status == NoError && stored.major > classInfo.GetVersion().major) status = ErrBadFrame;
    if (status == NoError) version = stored;
    return status;
}

}  // namespace

ClassInfo::ClassInfo(const char* name, ClassVersion version)
    : name(name != nullptr ? name : ""), version(version) {}

namespace ArrayPrivate {
const ClassInfo classInfo("ZR::Array", ClassVersion{1, 0});
}

OutputFrame::OutputFrame(OChannel& channel, const ClassInfo& classInfo)
    : channel(channel), status(WriteFrameStart(channel, classInfo)) {}

// A frame whose start failed gets no end. A failure to write the end sticks as the channel's
// output status, where the writer looks after its last write.
OutputFrame::~OutputFrame() {
    if (status == NoError) channel.Write(FrameEndMagic);
}

InputFrame::InputFrame(IChannel& channel, const ClassInfo& classInfo)
    : channel(channel), status(NoError) {
    status = ReadFrameStart(channel, classInfo, version);
}

InputFrame::~InputFrame() {
    if (status != NoError) return;
    UInt32 magic = 0;
    channel.Read(
        magic);  // nobody is left to tell of a wrong end; a missing one sticks in the channel
}

}  // namespace ZR
