// Reading the keys of a channel's lines as bytes in the channel's encoding. Only the bytes before
// the separator are copied and only kept keys are decoded (most by widening each byte into one code
// unit), yet every result equals what decoding
// the whole line with IOUtil::GetTextLine and cutting it with SplitKey would give: both 8-bit
// encodings decode losslessly (one byte sequence per text), so keys are equal exactly when their
// bytes are, and the order of two byte keys is decided on bytes where that matches the order of
// their texts, by decoding them otherwise.
#pragma once

#include <algorithm>
#include <bit>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "extension/frame/channel_info.h"
#include "extension/store/data_file.h"
#include "extension/store/line_scan.h"

namespace DataOmbraPlugin {

// The length of the common start of `a` and `b`, compared eight bytes at a time where the byte
// order lets the lowest differing bit tell the first differing byte.
inline size_t Mismatch(std::string_view a, std::string_view b) {
    const size_t length = std::min(a.size(), b.size());
    size_t i = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; i + 8 <= length; i += 8) {
            UInt64 left, right;
            std::memcpy(&left, a.data() + i, 8);
            std::memcpy(&right, b.data() + i, 8);
            if (left != right) return i + size_t(std::countr_zero(left ^ right)) / 8;
        }
    }
    while (i < length && a[i] == b[i]) ++i;
    return i;
}

class KeyReader {
public:
    // Reads `info.file`, which must be set, from its position with the channel's encoding and
    // separator. Until the reader is destroyed nothing else may use the file, and the file's own
    // position lags behind the lines read.
    explicit KeyReader(ChannelInfo& info);
    // Reads `channel`, which holds the bytes of the channel's file from offset `fileOffset` on
    // (its own offset 0 is that file offset), as the reader above reads the file.
    KeyReader(ChannelInfo& info, ZR::IChannel& channel, UInt64 fileOffset);

    // Reads the next line; `key` receives its key's bytes, valid until the next call on the
    // reader. Returns 0, IO::ErrEndOfFile at the end, or the read failure (then `key` is empty).
    [[nodiscard]] ZRErrCode ReadKey(std::string_view& key) {
        // GetTextLine drops a byte-order mark at offset 0 of UTF-8 text: that line goes through
        // it.
        const bool markPossible = atFileStart && info.utf8;
        atFileStart = false;
        if (separatorByte == DecodeLines || markPossible)
            return ReadKeyByDecoding(key, markPossible);
        const ZRErrCode status = cursor.Next(&key, separatorByte);
        lastLineEmpty = key.empty() && !cursor.SeparatorMet();
        return status;
    }
    // True when the line of the last successful ReadKey is empty: no key and no field, nothing a
    // record could be made of.
    bool LastLineEmpty() const { return lastLineEmpty; }
    // Reads and discards up to `count` lines; the status of the last read (0 for count 0).
    [[nodiscard]] ZRErrCode SkipLines(UInt32 count) { return cursor.Skip(count); }
    // The offset of the next line; IO::ErrPosition beyond MaxFileOffset (see IndexOffset).
    [[nodiscard]] ZRErrCode Position(UInt32& position) {
        // The cursor knows the position without a call into the file per line.
        UInt64 offset = 0;
        const ZRErrCode status = cursor.GetOffset(offset);
        return status != NoError ? status : IndexOffset(fileOffset + offset, position);
    }

    // The byte that ends a key (NoSeparatorByte when none does: the key is the whole line), or
    // nothing when the separator can be found only by decoding the line.
    std::optional<int> SeparatorByte() const {
        return separatorByte == DecodeLines ? std::nullopt : std::optional(separatorByte);
    }

    // True when key `a` sorts before key `b` in UniString order.
    bool Less(std::string_view a, std::string_view b) const {
        const size_t at = Mismatch(a, b);
        const bool aEnds = at == a.size();
        const bool bEnds = at == b.size();
        if (aEnds && bEnds) return false;
        // An ASCII byte (or the end of a key) stands for the same code unit in both encodings, a
        // unit of its own: such bytes decide, as in most keys; LessAtDifference decides the rest.
        const bool aAscii = aEnds || UInt8(a[at]) < 0x80;
        const bool bAscii = bEnds || UInt8(b[at]) < 0x80;
        if (aAscii && bAscii) return !bEnds && (aEnds || UInt8(a[at]) < UInt8(b[at]));
        return LessAtDifference(a, b, at);
    }
    // The text of a key read by ReadKey. Raises std::bad_alloc when memory runs out.
    ZR::UniString Decode(std::string_view key) const;
    // Appends the text of a key read by ReadKey to `keys`, as Decode gives it. Raises
    // ZR::BMOutOfMemoryException or std::bad_alloc when memory runs out.
    void AppendKey(std::string_view key, KeyStore& keys) const;
    // The bytes that a line's key has exactly when its text equals `key`; false when no line can
    // have that key (the text has no form in the channel's encoding).
    bool Encode(const ZR::UniString& key, std::string& bytes) const;

private:
    [[nodiscard]] ZRErrCode ReadKeyByDecoding(std::string_view& key, bool markPossible);
    bool LessAtDifference(std::string_view a, std::string_view b, size_t at) const;

    ChannelInfo& info;
    UInt64 fileOffset;  // of the channel's offset 0
    LineCursor cursor;
    ZRCharCode charCode;
    // The separator as one byte; DecodeLines when it can be found only by decoding.
    int separatorByte;
    bool atFileStart;  // the next line starts at offset 0
    bool lastLineEmpty = false;
    ZR::UniString line;      // reused by ReadKeyByDecoding
    std::string decodedKey;  // the bytes of the last key that ReadKeyByDecoding read

    static constexpr int DecodeLines = -2;
};

}  // namespace DataOmbraPlugin
