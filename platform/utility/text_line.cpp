// Reading one text line from a channel. The bytes are scanned where the channel buffers them
// (PeekBuffer); only a line that spans several buffers is gathered into a string first.
#include <cstring>
#include <string>

#include "host/utility.h"
#include "platform/filesystem/memory_guard.h"
#include "platform/utility/line_end.h"

namespace IOUtil {

namespace {

constexpr char ByteOrderMark[] = "\xEF\xBB\xBF";

// Consumes a byte-order mark that stands at offset 0. The channel must expose the three bytes in
// one buffer, as every channel of the file-system library does.
GSErrCode SkipByteOrderMark(ZR::IChannel& channel) {
    UInt64 offset = 0;
    GSErrCode status = channel.GetReadOffset(&offset);
    if (status != NoError || offset != 0) return status;
    const char* data = nullptr;
    USize available = 0;
    status = channel.PeekBuffer(&data, &available);
    if (status == IO::ErrEndOfFile) return NoError;  // the line read reports it
    if (status != NoError) return status;
    if (available >= 3 && std::memcmp(data, ByteOrderMark, 3) == 0) channel.Advance(3);
    return NoError;
}

// After a CR that was the last buffered byte: consumes an LF that follows it.
GSErrCode SkipLineFeed(ZR::IChannel& channel) {
    const char* data = nullptr;
    USize available = 0;
    const GSErrCode status = channel.PeekBuffer(&data, &available);
    if (status == IO::ErrEndOfFile) return NoError;
    if (status != NoError) return status;
    if (data[0] == '\n') channel.Advance(1);
    return NoError;
}

// Consumes the line's remaining bytes data[0, end) and its terminator data[end] (CR, LF, or CR
// followed by LF).
GSErrCode ConsumeLineEnd(ZR::IChannel& channel, const char* data, USize end, USize available) {
    const bool carriageReturn = data[end] == '\r';
    if (carriageReturn && end + 1 < available && data[end + 1] == '\n') {
        channel.Advance(end + 2);
        return NoError;
    }
    channel.Advance(end + 1);
    return carriageReturn && end + 1 == available ? SkipLineFeed(channel) : NoError;
}

ZR::UniString Decode(const std::string& bytes, GSCharCode charCode) {
    return ZR::UniString(bytes.data(), USize(bytes.size()), charCode);
}

GSErrCode ReadLine(ZR::IChannel& channel, ZR::UniString& line, GSCharCode charCode) {
    const char* data = nullptr;
    USize available = 0;
    GSErrCode status = channel.PeekBuffer(&data, &available);
    if (status != NoError) return status;
    std::string spanning;  // the line's bytes from earlier buffers
    for (;;) {
        const USize end = USize(FindLineEnd(data, available));
        if (end < available) {
            ZR::UniString text;
            if (spanning.empty()) {
                text = ZR::UniString(data, end, charCode);
            } else {
                spanning.append(data, end);
                text = Decode(spanning, charCode);
            }
            status = ConsumeLineEnd(channel, data, end, available);
            if (status == NoError) line = std::move(text);
            return status;
        }
        spanning.append(data, available);
        channel.Advance(available);
        status = channel.PeekBuffer(&data, &available);
        if (status == IO::ErrEndOfFile) break;  // a last line without terminator
        if (status != NoError) return status;
    }
    line = Decode(spanning, charCode);
    return NoError;
}

}  // namespace

GSErrCode GetTextLine(ZR::IChannel& channel, ZR::UniString& line, bool utf8) {
    return IO::CatchMemoryFull([&] {
        if (utf8) {
            const GSErrCode status = SkipByteOrderMark(channel);
            if (status != NoError) return status;
        }
        return ReadLine(channel, line, utf8 ? CC_UTF8 : CC_Default);
    });
}

}  // namespace IOUtil
