#include "extension/store/line_scan.h"

#include <cstring>

#include "host/filesystem.h"

namespace DataOmbraPlugin {
namespace {

constexpr char CarriageReturn = '\r';
constexpr char LineFeed = '\n';

inline bool IsTerminator(char byte) {
    return byte == CarriageReturn || byte == LineFeed;
}

// The set bits of a 16-bit mask, without the library call that std::popcount becomes on
// processors that may lack the instruction.
inline UInt32 CountBits16(unsigned mask) {
    mask = mask - ((mask >> 1) & 0x5555u);
    mask = (mask & 0x3333u) + ((mask >> 2) & 0x3333u);
    mask = (mask + (mask >> 4)) & 0x0F0Fu;
    return UInt32((mask + (mask >> 8)) & 0x1Fu);
}

// The same for a 64-bit mask.
inline UInt32 CountBits64(UInt64 mask) {
    mask = mask - ((mask >> 1) & 0x5555555555555555ull);
    mask = (mask & 0x3333333333333333ull) + ((mask >> 2) & 0x3333333333333333ull);
    mask = (mask + (mask >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return UInt32((mask * 0x0101010101010101ull) >> 56);
}

// Skips whole blocks of the buffer (64 bytes while they are many, then 16) while all their line
// ends are wanted, counting the ends of a block at once: every CR, and every LF that does not
// follow a CR. A block never holds the buffer's last byte, so a CR there is left for the line
// loop. Returns the ends counted; `next` moves to the first byte after them.
UInt32 SkipWholeBlocks(const char* data, size_t available, UInt32 wanted, size_t& next) {
    UInt32 ended = 0;
#if defined(__SSE2__)
    UInt64 afterReturn = 0;  // the block before ended in a CR
    while (next + 64 < available) {
        UInt64 cr = 0;
        UInt64 lf = 0;
        for (unsigned part = 0; part < 4; ++part) {
            unsigned partCr = 0;
            unsigned partLf = 0;
            LineEndMasks(data + next + 16 * part, partCr, partLf);
            cr |= UInt64(partCr) << (16 * part);
            lf |= UInt64(partLf) << (16 * part);
        }
        const UInt32 count = CountBits64(cr | (lf & ~((cr << 1) | afterReturn)));
        if (ended + count >= wanted) break;
        ended += count;
        afterReturn = cr >> 63;
        next += 64;
    }
    while (next + 16 < available) {
        unsigned cr = 0;
        unsigned lf = 0;
        LineEndMasks(data + next, cr, lf);
        const UInt32 count = CountBits16(cr | (lf & ~((cr << 1) | unsigned(afterReturn))));
        if (ended + count >= wanted) break;
        ended += count;
        afterReturn = (cr >> 15) & 1;
        next += 16;
    }
    if (afterReturn != 0 && data[next] == LineFeed) ++next;  // the rest of a CR LF
#else
    (void)data, (void)available, (void)wanted, (void)next;
#endif
    return ended;
}

}  // namespace

void LineCursor::Sync() {
    if (used > 0) channel.Advance(USize(used));
    data = nullptr;
    available = 0;
    used = 0;
}

// Before the buffer is replaced, the key's bytes in it move to the spill string.
ZRErrCode LineCursor::Refill() {
    if (keyStart != nullptr && !keyInSpill) {
        spill.assign(keyStart, keyLength);
        keyInSpill = true;
    }
    Sync();
    USize count = 0;
    ZRErrCode status = channel.PeekBuffer(&data, &count);
    if (status == NoError) status = channel.GetReadOffset(&dataOffset);
    available = status == NoError ? count : 0;
    if (status != NoError) data = nullptr;
    return status;
}

// Consumes the terminator at data[end]: CR, LF, or CR and the LF after it (which may stand at the
// start of the next buffer). A failure to look ahead fails the line, as it fails GetTextLine.
ZRErrCode LineCursor::ConsumeTerminator(size_t end) {
    used = end + 1;
    if (data[end] != CarriageReturn) return NoError;
    if (used == available) {
        const ZRErrCode status = Refill();
        if (status == IO::ErrEndOfFile) return NoError;
        if (status != NoError) return status;
    }
    if (data[used] == LineFeed) ++used;
    return NoError;
}

void LineCursor::StartKey(bool wanted) {
    keyStart = wanted ? data + used : nullptr;
    keyLength = 0;
    keyInSpill = false;
    keyComplete = !wanted;
}

// Takes the key's bytes among the first `count` bytes of a line piece that follows the key's
// bytes so far, and returns where the line ends in the piece (`count` when it goes on).
size_t LineCursor::TakeKeyPart(const char* line, size_t count, int separatorByte) {
    // A separator byte that is a terminator never stands within a line.
    const char separator = separatorByte == NoSeparatorByte ? LineFeed : char(separatorByte);
    const size_t stop = FindFirstOf(line, count, CarriageReturn, LineFeed, separator);
    if (keyInSpill) {
        spill.append(line, stop);
    } else {
        keyLength += stop;
    }
    keyComplete = stop < count && !IsTerminator(line[stop]);
    if (!keyComplete) return stop;
    return stop + 1 + FindLineEnd(line + stop + 1, count - stop - 1);
}

std::string_view LineCursor::Key() const {
    if (keyStart == nullptr) return {};
    return keyInSpill ? std::string_view(spill) : std::string_view(keyStart, keyLength);
}

ZRErrCode LineCursor::NextLine(std::string_view* key, int separatorByte) {
    StartKey(false);
    ZRErrCode status = used == available ? Refill() : NoError;
    if (status == NoError) StartKey(key != nullptr);
    while (status == NoError) {
        const char* line = data + used;
        const size_t end = keyComplete ? FindLineEnd(line, available - used)
                                       : TakeKeyPart(line, available - used, separatorByte);
        if (used + end < available) {
            status = ConsumeTerminator(used + end);
            break;
        }
        used = available;
        status = Refill();
        if (status == IO::ErrEndOfFile) status = NoError;  // a last line without terminator
        if (status != NoError || available == 0) break;
    }
    if (key != nullptr) *key = Key();
    return status;
}

// Consumes up to `count` lines that end within the buffer, short of a CR that is its last byte
// (an LF may follow in the next buffer), and returns how many it consumed.
UInt32 LineCursor::SkipBufferedLines(UInt32 count) {
    size_t next = used;
    // A block of 64 bytes holds a line or two of most files: for fewer lines than this, counting
    // a block's ends costs more than finding each line's end.
    constexpr UInt32 FewLines = 4;
    UInt32 ended = count > FewLines ? SkipWholeBlocks(data, available, count, next) : 0;
    while (ended < count) {
        const size_t end = next + FindLineEnd(data + next, available - next);
        if (end == available || (end + 1 == available && data[end] == CarriageReturn)) break;
        next = end + 1;
        if (data[end] == CarriageReturn && data[next] == LineFeed) ++next;
        ++ended;
    }
    used = next;
    return ended;
}

ZRErrCode LineCursor::Skip(UInt32 count) {
    ZRErrCode status = NoError;
    while (count > 0 && status == NoError) {
        count -= SkipBufferedLines(count);
        if (count == 0) break;
        // The line reaches the end of the buffer, or there is none left: read it the usual way.
        status = Next(nullptr, NoSeparatorByte);
        --count;
    }
    return status;
}

}  // namespace DataOmbraPlugin
