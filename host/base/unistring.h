// Text: UniString is a string of 16-bit code units (UTF-16). It crosses into 8-bit form in two
// encodings: the default code page (Windows-1252, CC_Default) and UTF-8 (CC_UTF8). Both
// conversions are lossless for every byte sequence:
// - Default code page: each of the 256 byte values maps to its own code unit (Windows-1252; the
//   five bytes it leaves undefined map to the C1 control of the same value) and back.
// - UTF-8: valid text decodes to its code units; a byte that is not part of valid UTF-8 decodes to
//   U+DC00 + byte (0xDC80..0xDCFF) and encodes back to that same byte. A lone surrogate that
//   decoding never produces encodes to the three-byte form of its value (which decodes back as
//   three such escapes, so its bytes are stable from then on).
// NUL is an ordinary character in both directions.
#pragma once

#include <compare>
#include <string>
#include <string_view>

#include "host/base/api.h"
#include "host/base/channels.h"
#include "host/base/types.h"

namespace ZR {

using UniChar = char16_t;

// Number of code units before the terminating zero.
HOST_API USize ucslen(const UniChar* text);

// An 8-bit text made by UniString::ToCStr: zero-terminated, and GetLength() counts every byte
// (embedded NUL bytes included), so nothing is lost by a caller that uses the length.
class HOST_API CStr {
public:
    CStr() = default;
    explicit CStr(std::string bytes) : bytes(std::move(bytes)) {}
    const char* Get() const { return bytes.c_str(); }
    operator const char*() const { return bytes.c_str(); }
    USize GetLength() const { return USize(bytes.size()); }
    const std::string& GetBytes() const { return bytes; }

private:
    std::string bytes;
};

// Insert, Delete, GetSubstring and FindFirst take a position beyond the end as the end (operator[]
// does not check). Operations without a status raise std::bad_alloc when memory runs out.
class HOST_API UniString {
public:
    UniString() = default;
    UniString(const UniChar* text);  // zero-terminated
    UniString(const UniChar* text, USize length);
    explicit UniString(std::u16string text) : units(std::move(text)) {}
    // 8-bit text in the given encoding; the zero-terminated form and the counted form.
    UniString(const char* text, ZRCharCode charCode = CC_Default);
    UniString(const char* text, USize byteCount, ZRCharCode charCode);

    USize GetLength() const { return USize(units.size()); }
    bool IsEmpty() const { return units.empty(); }
    UniChar operator[](USize index) const { return units[index]; }
    UniChar& operator[](USize index) { return units[index]; }

    UniString& Append(const UniString& text);
    UniString& Append(UniChar ch);
    UniString& operator+=(const UniString& text) { return Append(text); }
    UniString& operator+=(UniChar ch) { return Append(ch); }
    // Inserts before the code unit at `position` (GetLength() appends).
    void Insert(USize position, const UniString& text);
    void Insert(USize position, UniChar ch);
    // Deletes `count` code units from `position`, or fewer at the end of the string.
    void Delete(USize position, USize count = 1);
    void Truncate(USize length);
    void Clear() { units.clear(); }

    UniString GetSubstring(USize from, USize count) const;
    // Position of the first `ch` at or after `from`, or MaxUIndex when there is none.
    USize FindFirst(UniChar ch, USize from = 0) const;

    // Order by 16-bit code units, case-sensitive: -1, 0 or 1.
    Int32 Compare(const UniString& other) const;
    bool operator==(const UniString& other) const { return units == other.units; }
    std::strong_ordering operator<=>(const UniString& other) const { return units <=> other.units; }

    // Full Unicode upper-casing of the whole string.
    void SetToUpperCase();

    // The 8-bit form in `charCode`. A code unit that the default code page cannot hold becomes
    // '?' (conversionErrorMode 0), except U+DC80..U+DCFF, which become their byte.
    CStr ToCStr(ZRCharCode charCode = CC_Default, Int32 conversionErrorMode = 0) const;
    // Appends the 8-bit form to `out` (no terminator): the allocation-free path for hot loops.
    void AppendBytes(std::string& out, ZRCharCode charCode) const;
    // Replaces the text with the decoded form of `byteCount` bytes of `charCode` text, reusing
    // this string's storage: the allocation-free counterpart of UniString(text, byteCount,
    // charCode) for hot loops.
    void AssignBytes(const char* text, USize byteCount, ZRCharCode charCode);

    const UniChar* ToUStr() const { return units.c_str(); }  // zero-terminated
    const std::u16string& Get() const { return units; }

    // Serialization on channels: a 32-bit code-unit count, then the code units (16 bits each).
    ZRErrCode Read(IChannel& channel);
    ZRErrCode Write(OChannel& channel) const;

private:
    std::u16string units;
};

// An 8-bit string of the base library, for texts that are 8-bit by nature.
class HOST_API String {
public:
    String() = default;
    String(const char* text) : bytes(text != nullptr ? text : "") {}
    explicit String(std::string text) : bytes(std::move(text)) {}
    USize GetLength() const { return USize(bytes.size()); }
    const char* ToCStr() const { return bytes.c_str(); }
    String& Append(const String& text) {
        bytes += text.bytes;
        return *this;
    }
    bool operator==(const String& other) const = default;

private:
    std::string bytes;
};

}  // namespace ZR
