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
ZRErrCode SkipByteOrderMark(ZR::IChannel& channel) {
    UInt64 offset = 0;
    ZRErrCode status = channel.GetReadOffset(&offset);
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
ZRErrCode SkipLineFeed(ZR::IChannel& channel) {
    const char* data = nullptr;
    USize available = 0;
    const ZRErrCode status = channel.PeekBuffer(&data, &available);
    if (status == IO::ErrEndOfFile) return NoError;
    if (status != NoError) return status;
    if (data[0] == '\n') channel.Advance(1);
    return NoError;
}

// Length of the terminator at data[end] (CR, LF, or CR followed by LF) when all of it is
// buffered; 0 for a CR that is the last buffered byte, where an LF may follow in the next block.
USize VisibleTerminator(const char* data, USize end, USize available) {
    if (data[end] == '\n') return 1;
    if (end + 1 == available) return 0;
    return data[end + 1] == '\n' ? 2 : 1;
}

// Ends a line whose bytes are in `bytes` at a CR that was the last byte of its block: consumes
// the CR, then an LF that follows in the next block. `line` changes only on success.
ZRErrCode FinishAtBlockEnd(ZR::IChannel& channel, ZR::UniString& line, const std::string& bytes,
                           ZRCharCode charCode) {
    channel.Advance(1);
    const ZRErrCode status = SkipLineFeed(channel);
    if (status == NoError) line.AssignBytes(bytes.data(), USize(bytes.size()), charCode);
    return status;
}

ZRErrCode ReadLine(ZR::IChannel& channel, ZR::UniString& line, ZRCharCode charCode) {
    const char* data = nullptr;
    USize available = 0;
    ZRErrCode status = channel.PeekBuffer(&data, &available);
    if (status != NoError) return status;
    std::string spanning;  // the line's bytes from earlier blocks
    for (;;) {
        const USize end = USize(FindLineEnd(data, available));
        const USize terminator = end < available ? VisibleTerminator(data, end, available) : 0;
        if (terminator > 0 && spanning.empty()) {  // the common case: decoded where it lies
            line.AssignBytes(data, end, charCode);
            channel.Advance(end + terminator);
            return NoError;
        }
        spanning.append(data, end);
        channel.Advance(end);
        if (end < available) {
            if (terminator == 0) return FinishAtBlockEnd(channel, line, spanning, charCode);
            line.AssignBytes(spanning.data(), USize(spanning.size()), charCode);
            channel.Advance(terminator);
            return NoError;
        }
        status = channel.PeekBuffer(&data, &available);
        if (status == IO::ErrEndOfFile) break;  // a last line without terminator
        if (status != NoError) return status;
    }
    line.AssignBytes(spanning.data(), USize(spanning.size()), charCode);
    return NoError;
}

}  // namespace

ZRErrCode GetTextLine(ZR::IChannel& channel, ZR::UniString& line, bool utf8) {
    return IO::CatchMemoryFull([&] {
        if (utf8) {
            const ZRErrCode status = SkipByteOrderMark(channel);
            if (status != NoError) return status;
        }
        return ReadLine(channel, line, utf8 ? CC_UTF8 : CC_Default);
    });
}

}  // namespace IOUtil
