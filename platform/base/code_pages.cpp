// The default code page: Windows-1252, made total. Bytes 0x00..0x7F and 0xA0..0xFF are the code
// points of the same value; 0x80..0x9F are the Windows-1252 characters, and the five bytes that
// Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) are the C1 controls of the same
// value. So the 256 bytes map to 256 distinct code units and back.
#include "platform/base/ascii_run.h"
#include "platform/base/text_codec.h"

namespace ZR::TextCodec {

namespace {

// Code units of the bytes 0x80..0x9F.
constexpr char16_t HighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 0x98
};

constexpr char16_t DecodeHighByte(unsigned char byte) {
    return byte >= 0xA0 ? char16_t(byte) : HighControls[byte - 0x80];
}

// The byte of a code unit of 0x80 or above, or '?' when the code page has none.
char EncodeHighUnit(char16_t unit, Escapes escapes) {
    if (unit >= 0xA0 && unit <= 0xFF) return char(unit);
    if (IsByteEscape(unit)) return escapes == Escapes::Restore ? char(unit - EscapeBase) : '?';
    for (unsigned index = 0; index < 32; ++index) {
        if (HighControls[index] == unit) return char(0x80 + index);
    }
    return '?';
}

}  // namespace

void AppendDecodedCodePage(std::u16string& out, const unsigned char* bytes, size_t count) {
    const size_t start = out.size();
    out.resize(start + count);
    char16_t* units = out.data() + start;
    size_t i = 0;
    while (i < count) {
        i += WidenAsciiRun(units + i, bytes + i, count - i);
        for (; i < count && bytes[i] >= 0x80; ++i) units[i] = DecodeHighByte(bytes[i]);
    }
}

void AppendEncodedCodePage(std::string& out, const char16_t* units, size_t count, Escapes escapes) {
    const size_t start = out.size();
    out.resize(start + count);
    char* bytes = out.data() + start;
    size_t i = 0;
    while (i < count) {
        i += NarrowAsciiRun(bytes + i, units + i, count - i);
        for (; i < count && units[i] >= 0x80; ++i) bytes[i] = EncodeHighUnit(units[i], escapes);
    }
}

}  // namespace ZR::TextCodec
