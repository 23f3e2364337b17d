#include "extension/store/line_scan.h"

#include <cstring>

#include "host/filesystem.h"

namespace DataOmbraPlugin {
namespace {

constexpr char CarriageReturn = '\r';
constexpr char LineFeed = '\n';

// Appends the key's share of `count` bytes; true once the separator has been met.
bool AppendKeyPart(std::string& key, const char* data, size_t count, int separatorByte) {
    if (separatorByte != NoSeparatorByte) {
        const void* found = std::memchr(data, separatorByte, count);
        if (found != nullptr) {
            key.append(data, static_cast<const char*>(found) - data);
            return true;
        }
    }
    key.append(data, count);
    return false;
}

// After a CR: a LF that follows belongs to the same terminator. A failure to look ahead fails the
// line, as it fails IOUtil::GetTextLine.
GSErrCode ConsumeLineFeedAfterReturn(ZR::IChannel& channel) {
    const char* data = nullptr;
    USize available = 0;
    const GSErrCode status = channel.PeekBuffer(&data, &available);
    if (status == IO::ErrEndOfFile) return NoError;
    if (status != NoError) return status;
    if (data[0] == LineFeed) channel.Advance(1);
    return NoError;
}

}  // namespace

size_t FindLineEnd(const char* data, size_t size) {
    // Eight bytes at a time: a byte equal to CR or LF becomes zero after the XOR, and the classic
    // zero-byte test flags the word; the byte loop below then finds the exact position.
    constexpr UInt64 Ones = 0x0101010101010101ull;
    constexpr UInt64 HighBits = 0x8080808080808080ull;
    size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        UInt64 word;
        std::memcpy(&word, data + i, 8);
        const UInt64 returns = word ^ (Ones * UInt8(CarriageReturn));
        const UInt64 feeds = word ^ (Ones * UInt8(LineFeed));
        const UInt64 hits = ((returns - Ones) & ~returns) | ((feeds - Ones) & ~feeds);
        if ((hits & HighBits) != 0) break;
    }
    for (; i < size; ++i) {
        if (data[i] == CarriageReturn || data[i] == LineFeed) return i;
    }
    return size;
}

GSErrCode ConsumeLine(ZR::IChannel& channel, std::string* key, int separatorByte) {
    if (key != nullptr) key->clear();
    const char* data = nullptr;
    USize available = 0;
    GSErrCode status = channel.PeekBuffer(&data, &available);
    if (status != NoError) return status;
    bool keyComplete = key == nullptr;
    for (;;) {
        const size_t end = FindLineEnd(data, available);
        if (!keyComplete) keyComplete = AppendKeyPart(*key, data, end, separatorByte);
        if (end < available) {
            const bool carriageReturn = data[end] == CarriageReturn;
            channel.Advance(USize(end + 1));
            return carriageReturn ? ConsumeLineFeedAfterReturn(channel) : NoError;
        }
        channel.Advance(available);
        status = channel.PeekBuffer(&data, &available);
        if (status != NoError) return status == IO::ErrEndOfFile ? NoError : status;
    }
}

}  // namespace DataOmbraPlugin
