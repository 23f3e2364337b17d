// The ASCII fast paths of the text conversions: copy runs of code points below 0x80 between the
// 8-bit and the 16-bit forms eight (or four) at a time, stopping at the first other value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace ZR::TextCodec {

// Widens the leading ASCII run of `bytes` into `out`; returns its length (at most `count`).
inline size_t WidenAsciiRun(char16_t* out, const unsigned char* bytes, size_t count) {
    constexpr uint64_t HighBits = 0x8080808080808080ull;
    size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        uint64_t word;
        std::memcpy(&word, bytes + i, 8);
        if ((word & HighBits) != 0) break;
        for (size_t k = 0; k < 8; ++k) out[i + k] = char16_t(bytes[i + k]);
    }
    for (; i < count && bytes[i] < 0x80; ++i) out[i] = char16_t(bytes[i]);
    return i;
}

// Narrows the leading run of code units below 0x80 of `units` into `out`; returns its length.
inline size_t NarrowAsciiRun(char* out, const char16_t* units, size_t count) {
    constexpr uint64_t HighBits = 0xFF80FF80FF80FF80ull;
    size_t i = 0;
    for (; i + 4 <= count; i += 4) {
        uint64_t word;
        std::memcpy(&word, units + i, 8);
        if ((word & HighBits) != 0) break;
        for (size_t k = 0; k < 4; ++k) out[i + k] = char(units[i + k]);
    }
    for (; i < count && units[i] < 0x80; ++i) out[i] = char(units[i]);
    return i;
}

}  // namespace ZR::TextCodec
