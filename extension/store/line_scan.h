// Consuming lines of a byte channel without decoding them, by the line rules of
// IOUtil::GetTextLine: CR, LF and CR LF each end a line, and a last line without a terminator is a
// line.
#pragma once

#include <bit>
#include <string>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "host/base.h"

namespace DataOmbraPlugin {

// Marks a line's key as running to the end of the line (no separator byte to look for).
constexpr int NoSeparatorByte = -1;

// Index of the first of `size` bytes equal to `a`, `b` or `c`, or `size` when there is none.
inline size_t FindFirstOf(const char* data, size_t size, char a, char b, char c) {
    size_t i = 0;
#if defined(__SSE2__)
    // Sixteen bytes at a time: the mask has a bit for every byte equal to one of the three.
    const __m128i as = _mm_set1_epi8(a), bs = _mm_set1_epi8(b), cs = _mm_set1_epi8(c);
    for (; i + 16 <= size; i += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        const __m128i hits =
            _mm_or_si128(_mm_cmpeq_epi8(block, as),
                         _mm_or_si128(_mm_cmpeq_epi8(block, bs), _mm_cmpeq_epi8(block, cs)));
        const unsigned mask = unsigned(_mm_movemask_epi8(hits));
        if (mask != 0) return i + size_t(std::countr_zero(mask));
    }
#endif
    for (; i < size; ++i) {
        if (data[i] == a || data[i] == b || data[i] == c) return i;
    }
    return size;
}

#if defined(__SSE2__)
// Masks of the CRs and of the LFs among the sixteen bytes at `data`: bit i for byte i.
inline void LineEndMasks(const char* data, unsigned& cr, unsigned& lf) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data));
    cr = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(block, _mm_set1_epi8('\r'))));
    lf = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(block, _mm_set1_epi8('\n'))));
}
#endif

// Index of the first CR or LF among `size` bytes, or `size` when there is none. Inline, as are
// the loops that call it for every line of a load or a scan.
inline size_t FindLineEnd(const char* data, size_t size) {
    return FindFirstOf(data, size, '\r', '\n', '\n');
}

// Reads lines where the channel buffers them (PeekBuffer) and tells the channel how far it has
// read (Advance) only when it needs the next buffer or is synced, so that a run of short lines
// costs no call into the channel per line. Until Sync() (or destruction) the channel's position
// lags behind the lines consumed; nothing else may use the channel in between.
class LineCursor {
public:
    explicit LineCursor(ZR::IChannel& channel) : channel(channel) {}
    ~LineCursor() { Sync(); }
    LineCursor(const LineCursor&) = delete;
    LineCursor& operator=(const LineCursor&) = delete;

    // Consumes one line. When `key` is given it receives the line's bytes up to the first byte
    // equal to `separatorByte` (the whole line for NoSeparatorByte), where the channel buffers
    // them or, for a line that spans buffers, in the cursor; the view is valid until the next
    // call on the cursor. Returns 0, IO::ErrEndOfFile when no byte is left (then `key` is empty),
    // or the channel's failure.
    [[nodiscard]] ZRErrCode Next(std::string_view* key, int separatorByte) {
        // A separator byte that is a terminator never stands within a line: NextLine cuts such
        // keys.
        if (key != nullptr && separatorByte >= 0 && used < available &&
            NextBufferedKey(*key, char(separatorByte))) {
            return NoError;
        }
        return NextLine(key, separatorByte);
    }
    // Consumes up to `count` lines; returns the status of the last one (0 for count 0).
    [[nodiscard]] ZRErrCode Skip(UInt32 count);
    // Advances the channel past every line consumed, making its position current.
    void Sync();
    // The byte offset of the next line: where the channel's position stands once synced.
    [[nodiscard]] ZRErrCode GetOffset(UInt64& offset) const {
        if (data == nullptr) return channel.GetReadOffset(&offset);
        offset = dataOffset + used;
        return NoError;
    }
    // After Next with a key: true when the key ended at the separator byte, not at the line's end.
    bool SeparatorMet() const { return keyStart != nullptr && keyComplete; }

private:
    // Next for the common line: its key ends at a separator byte and the line's terminator lies
    // within the buffer, short of a CR that is its last byte (an LF may follow in the next
    // buffer). False, with nothing consumed, for any other line.
    bool NextBufferedKey(std::string_view& key, char separator) {
        const char* line = data + used;
        const size_t rest = available - used;
        const size_t stop = FindFirstOf(line, rest, '\r', '\n', separator);
        if (stop == rest || line[stop] == '\r' || line[stop] == '\n') return false;
        const size_t end = stop + 1 + FindLineEnd(line + stop + 1, rest - stop - 1);
        if (end + 1 >= rest && (end == rest || line[end] == '\r')) return false;
        keyStart = line;
        keyLength = stop;
        keyInSpill = false;
        keyComplete = true;
        used += end + 1;
        if (line[end] == '\r' && line[end + 1] == '\n') ++used;
        key = std::string_view(line, stop);
        return true;
    }
    [[nodiscard]] ZRErrCode NextLine(std::string_view* key, int separatorByte);
    [[nodiscard]] ZRErrCode Refill();
    [[nodiscard]] ZRErrCode ConsumeTerminator(size_t end);
    UInt32 SkipBufferedLines(UInt32 count);
    void StartKey(bool wanted);
    size_t TakeKeyPart(const char* line, size_t count, int separatorByte);
    std::string_view Key() const;

    ZR::IChannel& channel;
    const char* data = nullptr;  // the channel's buffered bytes, valid until the next call on it
    size_t available = 0;
    size_t used = 0;        // bytes of `data` consumed but not yet passed to Advance
    UInt64 dataOffset = 0;  // the channel's offset of data[0] while `data` is set
    // The key of the line being read: `keyLength` bytes at `keyStart` in the buffer, or `spill`
    // once the buffer is about to be replaced. `keyStart` is null when no key is wanted.
    const char* keyStart = nullptr;
    size_t keyLength = 0;
    bool keyInSpill = false;
    bool keyComplete = true;
    std::string spill;
};

}  // namespace DataOmbraPlugin
