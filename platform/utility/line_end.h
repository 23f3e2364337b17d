// Finding the end of a text line in a block of bytes.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace IOUtil {

// Offset of the first CR or LF in data[0, count), or count when there is none.
//
// Eight bytes at a time: a byte equal to CR (LF) is a zero byte of word ^ CRs (word ^ LFs), which
// the has-zero-byte test flags. The test may also flag bytes above a real zero (borrows), never
// below one, so the lowest flag of either test is exact; on a little-endian machine it is the
// first matching byte in memory.
inline std::size_t FindLineEnd(const char* data, std::size_t count) {
    constexpr std::uint64_t ones = 0x0101010101010101u;
    constexpr std::uint64_t highs = 0x8080808080808080u;
    constexpr std::uint64_t crs = ones * '\r';
    constexpr std::uint64_t lfs = ones * '\n';
    std::size_t i = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; i + 8 <= count; i += 8) {
            std::uint64_t word;
            std::memcpy(&word, data + i, 8);
            const std::uint64_t cr = word ^ crs;
            const std::uint64_t lf = word ^ lfs;
            const std::uint64_t flags = (((cr - ones) & ~cr) | ((lf - ones) & ~lf)) & highs;
            if (flags != 0) return i + std::size_t(std::countr_zero(flags)) / 8;
        }
    }
    for (; i < count; ++i)
        if (data[i] == '\r' || data[i] == '\n') return i;
    return count;
}

}  // namespace IOUtil
