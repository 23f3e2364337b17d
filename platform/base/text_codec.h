// The base library's two 8-bit text encodings, shared by UniString and the CH text functions.
// Both are lossless for every byte sequence (see host/base/unistring.h):
// - default code page (Windows-1252): one code unit per byte, one byte per code unit;
// - UTF-8: valid sequences decode to their code units, every other byte b to U+DC00 + b.
// Any character code other than CC_UTF8 means the default code page.
#pragma once

#include <cstddef>
#include <string>

#include "host/base/types.h"

namespace ZR::TextCodec {

// What becomes of a code unit that has no form of its own in the target encoding.
enum class Escapes {
    Restore,  // U+DC80..U+DCFF become the byte they stand for (the lossless mode)
    Replace,  // they become '?' like every other unconvertible code unit
};

// Appends the code units that `count` bytes of `charCode` text decode to. Never fails short of
// memory (std::bad_alloc).
void AppendDecoded(std::u16string& out, const char* bytes, size_t count, ZRCharCode charCode);

// Appends the bytes that `count` code units encode to in `charCode`.
void AppendEncoded(std::string& out, const char16_t* units, size_t count, ZRCharCode charCode,
                   Escapes escapes = Escapes::Restore);

// The number of bytes AppendEncoded would append.
size_t EncodedSize(const char16_t* units, size_t count, ZRCharCode charCode,
                   Escapes escapes = Escapes::Restore);

// The encoding-specific halves, called by the functions above.
void AppendDecodedCodePage(std::u16string& out, const unsigned char* bytes, size_t count);
void AppendEncodedCodePage(std::string& out, const char16_t* units, size_t count, Escapes escapes);
void AppendDecodedUtf8(std::u16string& out, const unsigned char* bytes, size_t count);
void AppendEncodedUtf8(std::string& out, const char16_t* units, size_t count, Escapes escapes);
size_t EncodedSizeUtf8(const char16_t* units, size_t count, Escapes escapes);

// First code unit of the escape range: byte b that is not valid UTF-8 decodes to EscapeBase + b.
constexpr char16_t EscapeBase = 0xDC00;
constexpr bool IsByteEscape(char16_t unit) {
    return unit >= 0xDC80 && unit <= 0xDCFF;
}

}  // namespace ZR::TextCodec
