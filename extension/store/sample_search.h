// The search of sortedIndex. The sample keys are many small strings apart in memory, so a plain
// binary search over them waits on memory at every step; a packed array of a few code units per
// sample narrows the search first, and only the samples left are compared in full.
#pragma once

#include <algorithm>
#include <bit>
#include <compare>
#include <cstring>
#include <string_view>

#include "extension/frame/channel_info.h"

namespace DataOmbraPlugin {

// The position of the first code unit at which `a` and `b` differ among their first `length`
// units (`length` when there is none), four units a time where the byte order lets the lowest
// differing bit tell the first differing unit.
inline size_t MismatchUnits(const char16_t* a, const char16_t* b, size_t length) {
    size_t i = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; i + 4 <= length; i += 4) {
            UInt64 left, right;
            std::memcpy(&left, a + i, 8);
            std::memcpy(&right, b + i, 8);
            if (left != right) return i + size_t(std::countr_zero(left ^ right)) / 16;
        }
    }
    while (i < length && a[i] == b[i]) ++i;
    return i;
}

// The order of two keys, as ZR::UniString::Compare gives it (code unit by code unit, a key that
// is the start of another first): -1, 0 or 1. Inline, as the load compares every key of a run.
inline Int32 CompareKeys(std::u16string_view left, std::u16string_view right) {
    const size_t length = std::min(left.size(), right.size());
    const size_t at = MismatchUnits(left.data(), right.data(), length);
    if (at < length) return left[at] < right[at] ? -1 : 1;
    if (left.size() == right.size()) return 0;
    return left.size() < right.size() ? -1 : 1;
}

// Eight code units of a key from some position on, packed so that the pairs order as the keys
// do: among keys that share their units before that position, a key that sorts before another
// never packs to a larger pair (a missing unit is 0, below every unit or equal to NUL, which the
// full comparison then tells apart).
struct PackedKey {
    UInt64 high = 0;
    UInt64 low = 0;
    auto operator<=>(const PackedKey&) const = default;
};
PackedKey PackKey(std::u16string_view key, USize from);

// Builds samplePrefixes for the samples of sortedIndex (its end entry aside). Raises
// ZR::BMOutOfMemoryException when the array cannot grow.
void BuildSamplePrefixes(RecordIndex& index);
// Builds tailPrefixes for the entries of tailIndex (its end entry aside), as BuildSamplePrefixes.
void BuildTailPrefixes(RecordIndex& index);

// Binary search of `key` among the entries of `index` before its end entry, over the positions
// lo..hi (0-based). Returns the position of the match, or -1 with `hi` at the last entry below the
// key (lo - 1 when none in the range is).
Int32 SearchEntries(const ZR::VAArray<RecInfoRec>& index, std::u16string_view key, Int32 lo,
                    Int32& hi);

// SearchEntries over every sample of sortedIndex, narrowed by samplePrefixes when they describe
// it. The result and `hi` are the same either way.
Int32 SearchSamples(const RecordIndex& index, std::u16string_view key, Int32& hi);
// The same over the entries of tailIndex, narrowed by tailPrefixes while they describe it (until
// an entry is inserted).
Int32 SearchTail(const RecordIndex& index, std::u16string_view key, Int32& hi);

}  // namespace DataOmbraPlugin
