#include "extension/store/key_reader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "extension/store/data_file.h"

namespace DataOmbraPlugin {
namespace {

constexpr UInt8 FirstNonAscii = 0x80;

// Writes each byte of `key` as a code unit to `units`; false when a byte is not ASCII.
bool WidenAscii(std::string_view key, char16_t* units) {
    const size_t length = key.size();
    const char* bytes = key.data();
#if defined(__SSE2__)
    if (length >= 8) {
        // Eight bytes at a time, the last eight overlapping those before when the length is no
        // multiple of eight: each byte's top bit into the mask, the bytes widened by interleaving
        // them with zero bytes (little-endian code units, as the processor stores them).
        unsigned high = 0;
        for (size_t i = 0;; i += 8) {
            if (i + 8 > length) i = length - 8;
            const __m128i eight = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(bytes + i));
            high |= unsigned(_mm_movemask_epi8(eight));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(units + i),
                             _mm_unpacklo_epi8(eight, _mm_setzero_si128()));
            if (i + 8 == length) return high == 0;
        }
    }
#endif
    UInt8 high = 0;  // the top bits of the bytes met
    for (size_t i = 0; i < length; ++i) {
        const UInt8 byte = UInt8(bytes[i]);
        units[i] = byte;
        high |= byte;
    }
    return high < FirstNonAscii;
}

// The code unit that each byte of the default code page decodes to.
const std::array<ZR::UniChar, 256>& CodePageUnits() {
    static const std::array<ZR::UniChar, 256> units = [] {
        std::array<char, 256> bytes;
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = char(i);
        const ZR::UniString decoded(bytes.data(), USize(bytes.size()), CC_Default);
        std::array<ZR::UniChar, 256> table{};
        for (size_t i = 0; i < table.size() && i < decoded.GetLength(); ++i) {
            table[i] = decoded[USize(i)];
        }
        return table;
    }();
    return units;
}

// Writes the code units of `key`, one for each of its bytes, to `units`; false, with `units`
// undefined, when the key must be decoded instead. Bytes below 0x80 stand for the same characters
// in both encodings, as Decode reads them; in the default code page every other byte decodes to
// one code unit of its own too (CodePageUnits).
bool Widen(std::string_view key, char16_t* units, bool utf8) {
    if (WidenAscii(key, units)) return true;
    if (utf8) return false;
    const auto& table = CodePageUnits();
    for (size_t i = 0; i < key.size(); ++i) units[i] = table[UInt8(key[i])];
    return true;
}

// The separator's byte. In UTF-8 only an ASCII separator is one byte that no multi-byte sequence
// contains; in the default code page every byte decodes to one code unit of its own, and a
// separator that no byte decodes to never occurs, so the whole line is the key.
int FindSeparatorByte(ZR::UniChar separator, bool utf8, int decodeLines) {
    if (separator < 0x80) return int(separator);
    if (utf8) return decodeLines;
    const auto& units = CodePageUnits();
    const auto found = std::find(units.begin(), units.end(), separator);
    return found == units.end() ? NoSeparatorByte : int(found - units.begin());
}

}  // namespace

KeyReader::KeyReader(ChannelInfo& info) : KeyReader(info, *info.file, 0) {}

KeyReader::KeyReader(ChannelInfo& info, ZR::IChannel& channel, UInt64 fileOffset)
    : info(info),
      fileOffset(fileOffset),
      cursor(channel),
      charCode(info.CharCode()),
      separatorByte(FindSeparatorByte(info.separator, info.utf8 != 0, DecodeLines)) {
    UInt64 offset = 0;
    atFileStart = channel.GetReadOffset(&offset) == NoError && fileOffset + offset == 0;
}

// The line's bytes are the bytes GetTextLine decodes (the cursor ends lines as it does), less the
// byte-order mark that it drops at the start of a UTF-8 file.
ZRErrCode KeyReader::ReadKeyByDecoding(std::string_view& key, bool markPossible) {
    std::string_view bytes;
    const ZRErrCode status = cursor.Next(&bytes, NoSeparatorByte);
    key = {};
    if (status != NoError) return status;
    if (markPossible && bytes.starts_with(ByteOrderMark)) bytes.remove_prefix(ByteOrderMark.size());
    lastLineEmpty = bytes.empty();
    line.AssignBytes(bytes.data(), USize(bytes.size()), charCode);
    SplitKey(line, info.separator);
    decodedKey.clear();
    line.AppendBytes(decodedKey, charCode);
    key = decodedKey;
    return NoError;
}

// `a` and `b` share their first `at` bytes and differ at `at`, where at least one of them has a
// byte of 0x80 or more (Less decides the rest). In the default code page each byte is one code
// unit, so the first differing bytes decide, a key that ends there first. In UTF-8 the shared
// bytes may end in a sequence that one side completes, so the texts are compared.
bool KeyReader::LessAtDifference(std::string_view a, std::string_view b, size_t at) const {
    if (info.utf8) return Decode(a) < Decode(b);
    if (at == a.size() || at == b.size()) return at == a.size();
    const auto& units = CodePageUnits();
    return units[UInt8(a[at])] < units[UInt8(b[at])];
}

ZR::UniString KeyReader::Decode(std::string_view key) const {
    // Bytes below 0x80 stand for the same characters in both encodings: such a key, as most are,
    // is widened into its text in one step.
    const bool ascii = std::all_of(
        key.begin(), key.end(), [](char byte) { return static_cast<unsigned char>(byte) < 0x80; });
    if (ascii) return ZR::UniString(std::u16string(key.begin(), key.end()));
    return ZR::UniString(key.data(), USize(key.size()), charCode);
}

void KeyReader::AppendKey(std::string_view key, KeyStore& keys) const {
    if (Widen(key, keys.PushUnits(USize(key.size())), info.utf8 != 0)) return;
    keys.DeleteLast();
    keys.Push(Decode(key));
}

bool KeyReader::Encode(const ZR::UniString& key, std::string& bytes) const {
    // Each character below 0x80 is its own byte in both encodings, as Decode reads them; a key of
    // them, as most are, is narrowed in one pass.
    const std::u16string& units = key.Get();
    bytes.resize(units.size());
    for (size_t i = 0; i < units.size(); ++i) {
        if (units[i] >= FirstNonAscii) {
            bytes.clear();
            key.AppendBytes(bytes, charCode);
            return Decode(bytes) == key;
        }
        bytes[i] = char(units[i]);
    }
    return true;
}

}  // namespace DataOmbraPlugin
