// The CH text functions: byte-order comparison of 8-bit texts, conversion of 16-bit text into a
// caller's buffer, and bounded copying.
#include "host/base/text.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>

#include "platform/base/text_codec.h"

namespace {

using ZR::TextCodec::Escapes;

constexpr bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
constexpr bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// The Latin-1 capitals U+00C0..U+00DE (but U+00D7) sit 0x20 below their small letters.
constexpr bool IsLatin1Capital(unsigned char low) {
    return low >= 0xC0 && low <= 0xDE && low != 0xD7;
}

// The byte at `position` with ASCII and Latin-1 letter case folded. In UTF-8 a Latin-1 capital is
// the lead byte C3 then 0x80 + (code point - 0xC0); only that second byte changes.
unsigned char FoldedByte(const unsigned char* text, size_t position, ZRCharCode charCode) {
    const unsigned char byte = text[position];
    if (byte >= 'A' && byte <= 'Z') return byte + ('a' - 'A');
    if (charCode != CC_UTF8) return IsLatin1Capital(byte) ? byte + 0x20 : byte;
    const bool afterC3 = position > 0 && text[position - 1] == 0xC3;
    const bool capital = afterC3 && byte >= 0x80 && byte <= 0x9E && byte != 0x97;
    return capital ? byte + 0x20 : byte;
}

// The number of leading code units that encode to at most `limit` bytes, whole characters only.
size_t UnitsFitting(const char16_t* units, size_t count, ZRCharCode charCode, Escapes escapes,
                    size_t limit) {
    size_t taken = 0, bytes = 0;
    while (taken < count) {
        const bool pair =
            taken + 1 < count && IsHighSurrogate(units[taken]) && IsLowSurrogate(units[taken + 1]);
        const size_t step = pair ? 2 : 1;
        const size_t size = ZR::TextCodec::EncodedSize(units + taken, step, charCode, escapes);
        if (bytes + size > limit) break;
        bytes += size;
        taken += step;
    }
    return taken;
}

Int32 ClampToInt32(size_t value) {
    return Int32(std::min<size_t>(value, size_t(std::numeric_limits<Int32>::max())));
}

}  // namespace

// A null text compares as the empty text. `caseType` 0 ignores the case of ASCII and Latin-1
// letters; any other value compares case-sensitively.
Int32 CHCompareTexts(const char* text1, const char* text2, Int32 caseType, ZRCharCode charCode) {
    const auto* a = reinterpret_cast<const unsigned char*>(text1 != nullptr ? text1 : "");
    const auto* b = reinterpret_cast<const unsigned char*>(text2 != nullptr ? text2 : "");
    for (size_t i = 0;; ++i) {
        const unsigned char x = caseType == 0 ? FoldedByte(a, i, charCode) : a[i];
        const unsigned char y = caseType == 0 ? FoldedByte(b, i, charCode) : b[i];
        if (x != y) return x < y ? -1 : 1;
        if (x == 0) return 0;
    }
}

// A negative `sourceLength` means the source is zero-terminated. A destination too small for the
// whole text receives the longest prefix of whole characters that fits.
Int32 CHUnicode2ANSI(const ZR::UniChar* source, Int32 sourceLength, char* destination,
                     Int32 destinationSize, ZRCharCode charCode, bool lossless, void* /*cache*/) {
    if (source == nullptr) return 0;
    const size_t count = sourceLength < 0 ? ZR::ucslen(source) : size_t(sourceLength);
    const Escapes escapes = lossless ? Escapes::Restore : Escapes::Replace;
    if (destination == nullptr) {
        return ClampToInt32(ZR::TextCodec::EncodedSize(source, count, charCode, escapes));
    }
    if (destinationSize <= 0) return 0;
    thread_local std::string converted;
    converted.clear();
    ZR::TextCodec::AppendEncoded(converted, source, count, charCode, escapes);
    const size_t limit = size_t(destinationSize);
    if (converted.size() > limit) {
        converted.clear();
        const size_t units = UnitsFitting(source, count, charCode, escapes, limit);
        ZR::TextCodec::AppendEncoded(converted, source, units, charCode, escapes);
    }
    std::memcpy(destination, converted.data(), converted.size());
    return Int32(converted.size());
}

void CHCopyC(const char* source, char* destination, USize destinationSize) {
    if (destination == nullptr || destinationSize == 0) return;
    const size_t length = source != nullptr ? strnlen(source, destinationSize - 1) : 0;
    if (length > 0) std::memcpy(destination, source, length);
    destination[length] = '\0';
}
