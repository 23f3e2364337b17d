// The ASCII fast paths of the text conversions: copy runs of code points below 0x80 between the
// 8-bit and the 16-bit forms sixteen at a time (SSE2) or eight at a time, stopping at the first
// other value. Both may write up to one block beyond the run they report, never beyond `count`
// elements of `out`; the caller overwrites those elements afterwards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace ZR::TextCodec {

inline size_t WidenAsciiTail(char16_t* out, const unsigned char* bytes, size_t count, size_t i) {
    constexpr uint64_t HighBits = 0x8080808080808080ull;
    for (; i + 8 <= count; i += 8) {
        uint64_t word;
        std::memcpy(&word, bytes + i, 8);
        if ((word & HighBits) != 0) break;
        for (size_t k = 0; k < 8; ++k) out[i + k] = char16_t(bytes[i + k]);
    }
    for (; i < count && bytes[i] < 0x80; ++i) out[i] = char16_t(bytes[i]);
    return i;
}

inline size_t NarrowAsciiTail(char* out, const char16_t* units, size_t count, size_t i) {
    constexpr uint64_t HighBits = 0xFF80FF80FF80FF80ull;
    for (; i + 4 <= count; i += 4) {
        uint64_t word;
        std::memcpy(&word, units + i, 8);
        if ((word & HighBits) != 0) break;
        for (size_t k = 0; k < 4; ++k) out[i + k] = char(units[i + k]);
    }
    for (; i < count && units[i] < 0x80; ++i) out[i] = char(units[i]);
    return i;
}

#if defined(__SSE2__)

// Widens the leading ASCII run of `bytes` into `out`; returns its length (at most `count`).
inline size_t WidenAsciiRun(char16_t* out, const unsigned char* bytes, size_t count) {
    const __m128i zero = _mm_setzero_si128();
    size_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi8(block, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), _mm_unpackhi_epi8(block, zero));
        const int high = _mm_movemask_epi8(block);
        if (high != 0) return i + size_t(__builtin_ctz(unsigned(high)));
    }
    if (i == count || count < 16) return WidenAsciiTail(out, bytes, count, i);
    // The last block overlaps bytes already known to be ASCII, whose bits are clear.
    const size_t last = count - 16;
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + last));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + last), _mm_unpacklo_epi8(block, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + last + 8), _mm_unpackhi_epi8(block, zero));
    const int high = _mm_movemask_epi8(block);
    return high == 0 ? count : last + size_t(__builtin_ctz(unsigned(high)));
}

// Narrows the leading run of code units below 0x80 of `units` into `out`; returns its length.
inline size_t NarrowAsciiRun(char* out, const char16_t* units, size_t count) {
    const __m128i highBits = _mm_set1_epi16(short(0xFF80));
    const __m128i zero = _mm_setzero_si128();
    size_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + i));
        const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + i + 8));
        const __m128i outside = _mm_and_si128(_mm_or_si128(low, high), highBits);
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(outside, zero)) != 0xFFFF) break;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(low, high));
    }
    if (i == count || count < 16 || i + 16 <= count) return NarrowAsciiTail(out, units, count, i);
    // The last block overlaps units already known to be ASCII.
    const size_t last = count - 16;
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + last));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + last + 8));
    const __m128i outside = _mm_and_si128(_mm_or_si128(low, high), highBits);
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(outside, zero)) != 0xFFFF) {
        return NarrowAsciiTail(out, units, count, i);
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + last), _mm_packus_epi16(low, high));
    return count;
}

#else

inline size_t WidenAsciiRun(char16_t* out, const unsigned char* bytes, size_t count) {
    return WidenAsciiTail(out, bytes, count, 0);
}

inline size_t NarrowAsciiRun(char* out, const char16_t* units, size_t count) {
    return NarrowAsciiTail(out, units, count, 0);
}

#endif

}  // namespace ZR::TextCodec
