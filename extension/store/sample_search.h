// The search of sortedIndex. The sample keys are many small strings apart in memory, so a plain
// binary search over them waits on memory at every step; a packed array of a few code units per
// sample narrows the search first, and only the samples left are compared in full.
#pragma once

#include <string_view>

#include "extension/frame/channel_info.h"

namespace DataOmbraPlugin {

// The order of two keys, as ZR::UniString::Compare gives it (code unit by code unit, a key that
// is the start of another first): -1, 0 or 1. Four code units are compared at a time.
Int32 CompareKeys(std::u16string_view a, std::u16string_view b);

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
Int32 SearchSamples(const RecordIndex& index, const ZR::UniString& key, Int32& hi);
// The same over the entries of tailIndex, narrowed by tailPrefixes while they describe it (until
// an entry is inserted).
Int32 SearchTail(const RecordIndex& index, const ZR::UniString& key, Int32& hi);

}  // namespace DataOmbraPlugin
