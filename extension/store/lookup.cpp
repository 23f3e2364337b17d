#include "extension/store/lookup.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

#include "extension/store/data_file.h"
#include "extension/store/key_reader.h"
#include "extension/store/line_scan.h"
#include "extension/store/loading.h"
#include "extension/store/sample_search.h"
#include "host/environment.h"
#include "host/utility.h"

namespace DataOmbraPlugin {
namespace {

// The scan between two samples reads their span in one piece (one read of the bytes it needs,
// where a buffered read would ask for a whole block), unless the span is longer than this.
constexpr UInt32 MaxSpanBytes = 64 * 1024;

// The file's bytes from offset `start` on, as the scan between two samples read them into the
// channel's scanBytes. The storage keeps its size from one lookup to the next (at most one span),
// so that a read into it costs no filling of it first.
struct SampleSpan {
    explicit SampleSpan(std::string& storage) : storage(storage) {}

    std::string& storage;
    std::string_view bytes;  // the span's bytes, at the storage's start; none until a scan reads
    UInt32 start = 0;

    // True for a line after the span's first (the sample's own line, which the scan never
    // matches), so that a line decoded here never stands at the channel's offset 0, where the
    // line reader would look for a byte-order mark.
    bool Holds(UInt32 offset) const { return offset > start && offset - start < bytes.size(); }
};

// Reads the key of each line after the sample line up to offset `stop`, looking for `key`;
// `offset` receives the matching line's position. Returns the first failure, or 0.
ZRErrCode ScanKeys(KeyReader& reader, const ZR::UniString& key, UInt32 stop, UInt32& offset) {
    ZRErrCode status = reader.SkipLines(1);
    std::string wanted;
    // A key without a form in the file's encoding matches no line; the lines are still read, so
    // that a read failure shows as it would otherwise.
    const bool matchable = reader.Encode(key, wanted);
    std::string_view lineKey;
    while (status == NoError) {
        UInt32 position = 0;
        status = reader.Position(position);
        // A consistent file meets the next entry exactly; past it, the file changed under the
        // index, and the scan stops rather than read on to the end.
        if (status != NoError || position >= stop) break;
        status = reader.ReadKey(lineKey);
        if (status == NoError && matchable && lineKey == wanted) {
            offset = position;
            break;
        }
    }
    return status;
}

// True for a byte that ends a key: a line end, or the separator's byte.
bool EndsKey(char byte, int separatorByte) {
    return byte == '\r' || byte == '\n' || (separatorByte >= 0 && byte == char(separatorByte));
}

// True when the bytes from `at` on begin with `wanted`. Neighbouring keys of a sorted run share
// their first bytes, so a key of eight bytes or more is compared by its last eight first: one
// load that tells most lines apart before the whole key is compared.
bool StartsWithKey(std::string_view bytes, size_t at, const std::string& wanted) {
    const size_t length = wanted.size();
    if (bytes.size() - at < length) return false;
    if (length >= 8) {
        std::uint64_t lineBytes;
        std::uint64_t keyBytes;
        std::memcpy(&lineBytes, bytes.data() + at + length - 8, 8);
        std::memcpy(&keyBytes, wanted.data() + length - 8, 8);
        if (lineBytes != keyBytes) return false;
    }
    return std::memcmp(bytes.data() + at, wanted.data(), length) == 0;
}

// True when the line at `at` (just after a line end byte) has the key `wanted`: its bytes begin
// with the key's and a key end (a line end, the separator or the end of the bytes) follows. The
// LF of a CR LF pair starts no line.
bool LineHasKey(std::string_view bytes, size_t at, const std::string& wanted, int separatorByte) {
    if (!StartsWithKey(bytes, at, wanted)) return false;
    if (bytes[at - 1] == '\r' && at < bytes.size() && bytes[at] == '\n') return false;
    const size_t after = at + wanted.size();
    return after == bytes.size() || EndsKey(bytes[after], separatorByte);
}

#if defined(__SSE2__)
// A mask with a bit for each CR or LF among the sixteen bytes at `data`.
inline UInt32 LineEndMask(const char* data) {
    unsigned cr = 0;
    unsigned lf = 0;
    LineEndMasks(data, cr, lf);
    return UInt32(cr | lf);
}
#endif

// The start of the first line after the first one, below `limit`, whose key is `wanted`; `limit`
// when there is none. The line ends are found 32 bytes at a time, not line by line.
size_t FindKeyLine(std::string_view bytes, size_t limit, const std::string& wanted,
                   int separatorByte) {
    // A line end at limit - 1 or later starts no line below `limit`.
    const size_t searched = limit == 0 ? 0 : limit - 1;
    size_t next = 0;  // the first byte not yet looked at for a line end
#if defined(__SSE2__)
    for (; next + 32 <= searched; next += 32) {
        const char* block = bytes.data() + next;
        UInt32 ends = LineEndMask(block) | (LineEndMask(block + 16) << 16);
        for (; ends != 0; ends &= ends - 1) {
            const size_t at = next + size_t(std::countr_zero(ends)) + 1;
            if (LineHasKey(bytes, at, wanted, separatorByte)) return at;
        }
    }
#endif
    for (; next < searched; ++next) {
        const bool lineEnd = bytes[next] == '\r' || bytes[next] == '\n';
        if (lineEnd && LineHasKey(bytes, next + 1, wanted, separatorByte)) return next + 1;
    }
    return limit;
}

// ScanKeys over the span's bytes, for keys cut on a separator byte: each line's first bytes are
// compared with the key's, and the rest of the line is passed by its line end, with no key cut
// out. `wanted` is null for a key no line can have. The result is ScanKeys's over the span.
ZRErrCode ScanSpanBytes(const SampleSpan& span, const std::string* wanted, int separatorByte,
                        UInt32 stop, UInt32& offset) {
    const std::string_view bytes = span.bytes;
    // The span was read up to `stop`, the next entry's line; it is shorter when the file ended
    // before it.
    const size_t spanEnd = stop - span.start;
    const size_t limit = std::min(spanEnd, bytes.size());
    if (wanted != nullptr) {
        const size_t at = FindKeyLine(bytes, limit, *wanted, separatorByte);
        if (at < limit) {
            offset = span.start + UInt32(at);
            return NoError;
        }
    }
    return bytes.size() >= spanEnd ? NoError : IO::ErrEndOfFile;  // the file ended before it
}

// The span scan: by bytes where keys are cut on a byte, by the key reader otherwise.
ZRErrCode ScanSpan(ChannelInfo& info, const ZR::UniString& key, const SampleSpan& span, UInt32 stop,
                   UInt32& offset) {
    IO::MemoryIChannel channel(span.bytes.data(), USize(span.bytes.size()));
    KeyReader reader(info, channel, span.start);
    const std::optional<int> separatorByte = reader.SeparatorByte();
    if (!separatorByte) return ScanKeys(reader, key, stop, offset);
    std::string wanted;
    // A key holding a byte that ends keys is no line's key.
    const bool matchable = reader.Encode(key, wanted) &&
                           std::none_of(wanted.begin(), wanted.end(),
                                        [&](char byte) { return EndsKey(byte, *separatorByte); });
    return ScanSpanBytes(span, matchable ? &wanted : nullptr, *separatorByte, stop, offset);
}

// Reads the `count` bytes at `start` into the span; fewer only where the file ends.
ZRErrCode ReadSpan(ChannelInfo& info, UInt32 start, UInt32 count, SampleSpan& span) {
    span.start = start;
    if (span.storage.size() < count) span.storage.resize(count);
    USize got = 0;
    ZRErrCode status = info.file->SetDataPosition(Int32(start));
    if (status == NoError) status = info.file->ReadBin(span.storage.data(), count, &got);
    span.bytes = std::string_view(span.storage.data(), got);
    return status;
}

// Scans the lines after sample `below` up to the next index entry for `key`, over the bytes read
// into `span` when the span is short enough, through the file's buffer otherwise.
ZRErrCode ScanBetweenSamples(ChannelInfo& info, const ZR::UniString& key, Int32 below,
                             UInt32& offset, SampleSpan& span) {
    const RecInfoRec* entries = info.Index().sortedIndex.GetContent();
    const UInt32 start = entries[below].filePos;
    const UInt32 stop = entries[below + 1].filePos;
    if (stop > start && stop - start <= MaxSpanBytes) {
        const ZRErrCode status = ReadSpan(info, start, stop - start, span);
        if (status != NoError) return status;
        return ScanSpan(info, key, span, stop, offset);
    }
    const ZRErrCode status = info.file->SetDataPosition(Int32(start));
    if (status != NoError) return status;
    KeyReader reader(info);
    return ScanKeys(reader, key, stop, offset);
}

ZRErrCode LocateRecord(ChannelInfo& info, const ZR::UniString& key, UInt32& offset,
                       Int32& entryPosition, UInt8& searchedSorted, SampleSpan& span) {
    offset = MaxUIndex;
    entryPosition = -1;
    searchedSorted = 0;
    try {
        const RecordIndex& index = info.Index();
        Int32 hi = 0;
        Int32 found = SearchTail(index, key.Get(), hi);
        if (found >= 0) {
            offset = index.tailIndex.GetContent()[found].filePos;
            entryPosition = found;
            return NoError;
        }
        searchedSorted = 1;
        found = SearchSamples(index, key.Get(), hi);
        if (found >= 0) {
            offset = index.sortedIndex.GetContent()[found].filePos;
            entryPosition = found;
            return NoError;
        }
        if (hi < 0) return NoError;  // below the first sample, or no sample at all
        return ScanBetweenSamples(info, key, hi, offset, span);
    } catch (const std::exception&) {
        offset = MaxUIndex;
        searchedSorted = 0;
        return ErrMemoryFull;
    }
}

// Decodes the line at `offset` from the span, exactly as ReadTextLine reads it from the file.
ZRErrCode DecodeSpanLine(const ChannelInfo& info, const SampleSpan& span, UInt32 offset,
                         ZR::UniString& line) {
    IO::MemoryIChannel channel(span.bytes.data(), USize(span.bytes.size()));
    channel.Advance(offset - span.start);
    return IOUtil::GetTextLine(channel, line, info.utf8 != 0);
}

// True when no byte has its high bit set; eight bytes are tested at a time.
bool IsAscii(std::string_view bytes) {
    constexpr std::uint64_t HighBits = 0x8080808080808080ull;
    size_t at = 0;
    for (; at + 8 <= bytes.size(); at += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + at, 8);
        if ((word & HighBits) != 0) return false;
    }
    for (; at < bytes.size(); ++at) {
        if ((static_cast<unsigned char>(bytes[at]) & 0x80) != 0) return false;
    }
    return true;
}

// Takes the line at `offset` from the span: as its bytes when they are ASCII, decoded otherwise.
// The line runs to its first line end byte or the span's end, as the line reader ends it.
ZRErrCode TakeSpanLine(const ChannelInfo& info, SampleSpan& span, UInt32 offset, RecordLine& line) {
    const size_t from = offset - span.start;
    const size_t length = FindLineEnd(span.bytes.data() + from, span.bytes.size() - from);
    if (!IsAscii(span.bytes.substr(from, length))) {
        return DecodeSpanLine(info, span, offset, line.Text());
    }
    line.TakeBytes(span.bytes.substr(from, length));
    return NoError;
}

// Takes the line of sample `sample` as its bytes, read with the bytes up to the next index entry
// in one read, as a line the scan met is taken. False, with `line` unchanged, where the line
// reader is to read it: the span is long or not all in the file, or the line in it has no line
// end or is not ASCII.
bool TakeSampleLine(ChannelInfo& info, Int32 sample, SampleSpan& span, RecordLine& line) {
    const RecInfoRec* entries = info.Index().sortedIndex.GetContent();
    const UInt32 start = entries[sample].filePos;
    const UInt32 stop = entries[sample + 1].filePos;
    if (stop <= start || stop - start > MaxSpanBytes) return false;
    if (ReadSpan(info, start, stop - start, span) != NoError || span.bytes.size() != stop - start)
        return false;
    const size_t length = FindLineEnd(span.bytes.data(), span.bytes.size());
    if (length == span.bytes.size() || !IsAscii(span.bytes.substr(0, length))) return false;
    line.TakeBytes(span.bytes.substr(0, length));
    return true;
}

// FindRecordLine into a RecordLine; `line` changes only where FindRecordLine's would.
ZRErrCode FindLine(ChannelInfo& info, const ZR::UniString& key, UInt32& offset,
                   Int32* entryPosition, UInt8& searchedSorted, RecordLine& line) {
    SampleSpan span(info.scanBytes);
    Int32 position = -1;
    ZRErrCode status = LocateRecord(info, key, offset, position, searchedSorted, span);
    if (entryPosition != nullptr) *entryPosition = position;
    if (status != NoError || offset == MaxUIndex) return status;
    try {
        if (span.Holds(offset)) return TakeSpanLine(info, span, offset, line);
        // A key found among the samples: its line starts the span up to the next sample.
        const bool sample = searchedSorted != 0 && position >= 0;
        if (sample && TakeSampleLine(info, position, span, line)) return NoError;
    } catch (const std::exception&) {
        return ErrMemoryFull;
    }
    return ReadTextLine(info, line.Text(), offset);
}

// Runs `find` on a RecordLine that starts with the caller's `line` and hands the line back decoded.
template <class Find>
ZRErrCode WithDecodedLine(ZR::UniString& line, Find find) {
    RecordLine found;
    found.Text() = std::move(line);
    const ZRErrCode status = find(found);
    try {
        if (found.InBytes()) {
            const std::string_view bytes = found.Bytes();
            line.AssignBytes(bytes.data(), USize(bytes.size()), CC_Default);
        } else {
            line = std::move(found.Text());
        }
    } catch (const std::exception&) {
        return ErrMemoryFull;
    }
    return status;
}

}  // namespace

void RecordLine::TakeBytes(std::string_view lineBytes) {
    bytes = lineBytes;
    inBytes = true;
    text.Clear();
}

ZRErrCode FindRecordLine(ChannelInfo& info, const ZR::UniString& key, UInt32& offset,
                         Int32* entryPosition, UInt8& searchedSorted, ZR::UniString& line) {
    return WithDecodedLine(line, [&](RecordLine& found) {
        return FindLine(info, key, offset, entryPosition, searchedSorted, found);
    });
}

ZRErrCode ReadRecordLine(ChannelInfo& info, const ZR::UniString& key, RecordLine& line) {
    UInt32 offset = MaxUIndex;
    UInt8 searchedSorted = 0;
    const ZRErrCode status = FindLine(info, key, offset, nullptr, searchedSorted, line);
    if (status != NoError || offset == MaxUIndex) return status;
    // A deletion line holds the character of byte 0xFF: a line of ASCII bytes is never one.
    if (line.InBytes()) return NoError;
    try {
        if (IsDeletionLine(line.Text(), key.Get(), info.separator)) line.Text().Clear();
    } catch (const std::exception&) {
        return ErrMemoryFull;
    }
    return NoError;
}

}  // namespace DataOmbraPlugin
