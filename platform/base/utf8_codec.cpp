// UTF-8, made lossless. Decoding takes every well-formed sequence (shortest form, no surrogate
// code points, at most U+10FFFF) as its code point and every other byte b as the escape U+DC00 + b,
// one escape per byte, so no byte is ever dropped. Encoding writes valid UTF-16 as UTF-8 and an
// escape U+DC80..U+DCFF as its byte. A lone surrogate that decoding never produces (U+D800..U+DC7F,
// U+DD00..U+DFFF without its partner) is written in the three-byte form of its value, which decodes
// back as three escapes: its bytes then survive any further round trip unchanged. A high surrogate
// followed by a low one is always a pair, even when the low one is in the escape range.
#include "platform/base/ascii_run.h"
#include "platform/base/text_codec.h"

namespace ZR::TextCodec {

namespace {

constexpr bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}
constexpr bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
constexpr bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}
constexpr bool IsSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDFFF;
}

// The length (2 to 4) of the well-formed sequence at `bytes`, with its code point in `codePoint`;
// 0 when the lead byte starts no well-formed sequence within `available` bytes.
size_t DecodeSequence(const unsigned char* bytes, size_t available, char32_t& codePoint) {
    const unsigned char lead = bytes[0];
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;   // shorter forms are overlong
        if (lead == 0xED) high = 0x9F;  // U+D800..U+DFFF are not characters
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;   // overlong
        if (lead == 0xF4) high = 0x8F;  // beyond U+10FFFF
    } else {
        return 0;
    }
    if (available < length || bytes[1] < low || bytes[1] > high) return 0;
    char32_t value = lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
        if (!IsContinuation(bytes[k])) return 0;
        value = (value << 6) | (bytes[k] & 0x3F);
    }
    codePoint = value;
    return length;
}

// Writes the code point as one or two code units; returns how many.
size_t PutCodeUnits(char16_t* out, char32_t codePoint) {
    if (codePoint < 0x10000) {
        out[0] = char16_t(codePoint);
        return 1;
    }
    codePoint -= 0x10000;
    out[0] = char16_t(0xD800 + (codePoint >> 10));
    out[1] = char16_t(0xDC00 + (codePoint & 0x3FF));
    return 2;
}

// One step of encoding: the code unit (or surrogate pair) at the front of the input takes `units`
// code units and becomes `bytes` bytes; a one-byte step writes `value` as that byte.
struct EncodeStep {
    size_t units;
    size_t bytes;
    char32_t value;
};

EncodeStep ClassifyUnit(const char16_t* units, size_t count, Escapes escapes) {
    const char16_t unit = units[0];
    if (unit < 0x80) return {1, 1, unit};
    if (unit < 0x800) return {1, 2, unit};
    if (!IsSurrogate(unit)) return {1, 3, unit};
    if (IsHighSurrogate(unit) && count > 1 && IsLowSurrogate(units[1])) {
        return {2, 4, 0x10000 + ((char32_t(unit - 0xD800) << 10) | char32_t(units[1] - 0xDC00))};
    }
    if (escapes == Escapes::Replace) return {1, 1, U'?'};
    if (IsByteEscape(unit)) return {1, 1, char32_t(unit - EscapeBase)};
    return {1, 3, unit};
}

void PutStep(char* out, const EncodeStep& step) {
    const char32_t value = step.value;
    switch (step.bytes) {
        case 1:
            out[0] = char(value);
            break;
        case 2:
            out[0] = char(0xC0 | (value >> 6));
            out[1] = char(0x80 | (value & 0x3F));
            break;
        case 3:
            out[0] = char(0xE0 | (value >> 12));
            out[1] = char(0x80 | ((value >> 6) & 0x3F));
            out[2] = char(0x80 | (value & 0x3F));
            break;
        default:
            out[0] = char(0xF0 | (value >> 18));
            out[1] = char(0x80 | ((value >> 12) & 0x3F));
            out[2] = char(0x80 | ((value >> 6) & 0x3F));
            out[3] = char(0x80 | (value & 0x3F));
            break;
    }
}

}  // namespace

// Every byte yields at most one code unit (a four-byte sequence yields two), so `count` units of
// room suffice: one allocation, trimmed at the end.
void AppendDecodedUtf8(std::u16string& out, const unsigned char* bytes, size_t count) {
    const size_t start = out.size();
    out.resize(start + count);
    char16_t* units = out.data() + start;
    size_t read = 0, written = 0;
    while (read < count) {
        const size_t run = WidenAsciiRun(units + written, bytes + read, count - read);
        read += run;
        written += run;
        if (read == count) break;
        char32_t codePoint = 0;
        const size_t length = DecodeSequence(bytes + read, count - read, codePoint);
        if (length == 0) {
            units[written++] = char16_t(EscapeBase + bytes[read++]);
        } else {
            written += PutCodeUnits(units + written, codePoint);
            read += length;
        }
    }
    out.resize(start + written);
}

// Room for ASCII first; at the first other unit, room for three bytes per remaining unit (the
// most any unit needs: a pair needs four bytes for two units).
void AppendEncodedUtf8(std::string& out, const char16_t* units, size_t count, Escapes escapes) {
    const size_t start = out.size();
    out.resize(start + count);
    size_t read = NarrowAsciiRun(out.data() + start, units, count);
    if (read == count) return;
    size_t written = read;
    out.resize(start + written + 3 * (count - read));
    char* bytes = out.data() + start;
    while (read < count) {
        const size_t run = NarrowAsciiRun(bytes + written, units + read, count - read);
        read += run;
        written += run;
        if (read == count) break;
        const EncodeStep step = ClassifyUnit(units + read, count - read, escapes);
        PutStep(bytes + written, step);
        read += step.units;
        written += step.bytes;
    }
    out.resize(start + written);
}

size_t EncodedSizeUtf8(const char16_t* units, size_t count, Escapes escapes) {
    size_t read = 0, size = 0;
    while (read < count) {
        if (units[read] < 0x80) {
            ++read;
            ++size;
            continue;
        }
        const EncodeStep step = ClassifyUnit(units + read, count - read, escapes);
        read += step.units;
        size += step.bytes;
    }
    return size;
}

}  // namespace ZR::TextCodec
