#include "extension/store/sample_search.h"

#include <algorithm>
#include <compare>

namespace DataOmbraPlugin {
namespace {

// Code units packed into one number; each sample has two numbers: eight units after the prefix
// that all samples share, which tell apart the samples of most files (decimal keys of up to
// eight digits after it), so that a key that is no sample is mostly settled without comparing
// any key in full.
constexpr USize PackedUnits = 4;
constexpr USize NumbersPerSample = 2;

// The code units of `key` from `from` on, four of them packed so that the packed numbers order as
// the keys do: a key that sorts before another never packs to a larger number (a missing unit is
// 0, below every unit or equal to NUL, which the full comparison then tells apart).
UInt64 Pack(const ZR::UniString& key, USize from) {
    UInt64 packed = 0;
    for (USize i = from; i < from + PackedUnits; ++i) {
        packed = (packed << 16) | (i < key.GetLength() ? UInt64(key[i]) : 0);
    }
    return packed;
}

// Eight code units from `from` on, ordered as the keys are (by the rule of Pack).
struct PackedKey {
    UInt64 high = 0;
    UInt64 low = 0;
    auto operator<=>(const PackedKey&) const = default;
};

PackedKey PackKey(const ZR::UniString& key, USize from) {
    return {Pack(key, from), Pack(key, from + PackedUnits)};
}

PackedKey PackedAt(const UInt64* numbers, Int32 sample) {
    return {numbers[NumbersPerSample * USize(sample)],
            numbers[NumbersPerSample * USize(sample) + 1]};
}

// The first of the positions lo..hi - 1 at which `holds` is true, `hi` when there is none; once
// true at a position, it must be true at every later one.
template <class Predicate>
Int32 FirstWhere(Int32 lo, Int32 hi, Predicate holds) {
    while (lo < hi) {
        const Int32 mid = (lo + hi) >> 1;
        if (holds(mid)) {
            hi = mid;
        } else {
            lo = mid + 1;
        }
    }
    return lo;
}

// The first sample from `from` on (before `count`) whose packed key is above `packed`. Few samples
// share a packed key, so the search gallops from `from` and mostly ends at its first step.
Int32 FirstAbove(const UInt64* numbers, Int32 from, Int32 count, const PackedKey& packed) {
    const auto above = [&](Int32 sample) { return PackedAt(numbers, sample) > packed; };
    Int32 below = from;  // no sample from `from` up to here is above
    Int32 end = from;    // `count`, or a sample that is above
    for (Int32 step = 1; end < count && !above(end); step *= 2) {
        below = end + 1;
        end = std::min(count, end + step);
    }
    return FirstWhere(below, end, above);
}

USize SharedPrefixLength(const ZR::UniString& a, const ZR::UniString& b) {
    const auto [left, right] =
        std::mismatch(a.Get().begin(), a.Get().end(), b.Get().begin(), b.Get().end());
    return USize(left - a.Get().begin());
}

bool PrefixesDescribe(const RecordIndex& index) {
    return !index.samplePrefixes.IsEmpty() &&
           index.samplePrefixes.GetSize() == NumbersPerSample * (index.sortedIndex.GetSize() - 1);
}

}  // namespace

void BuildSamplePrefixes(RecordIndex& index) {
    index.samplePrefixes.Clear();
    const USize samples = index.sortedIndex.GetSize() - 1;
    if (index.sortedIndex.IsEmpty() || samples == 0) return;
    // Keys ascend, so every sample shares what the first and the last share.
    const USize shared =
        SharedPrefixLength(index.sortedIndex[1].GetKey(), index.sortedIndex[samples].GetKey());
    index.samplePrefixes.Reserve(NumbersPerSample * samples);
    for (USize k = 1; k <= samples; ++k) {
        const PackedKey packed = PackKey(index.sortedIndex[k].GetKey(), shared);
        index.samplePrefixes.Push(packed.high);
        index.samplePrefixes.Push(packed.low);
    }
    index.samplePrefixLength = shared;
}

Int32 SearchEntries(const ZR::VAArray<RecInfoRec>& index, const ZR::UniString& key, Int32 lo,
                    Int32& hi) {
    const RecInfoRec* entries = index.GetContent();
    while (lo <= hi) {
        const Int32 mid = (lo + hi) >> 1;
        const Int32 order = key.Compare(entries[mid].GetKey());
        if (order == 0) return mid;
        if (order < 0) {
            hi = mid - 1;
        } else {
            lo = mid + 1;
        }
    }
    return -1;
}

Int32 SearchSamples(const RecordIndex& index, const ZR::UniString& key, Int32& hi) {
    hi = Int32(index.sortedIndex.GetSize()) - 2;
    if (!PrefixesDescribe(index)) return SearchEntries(index.sortedIndex, key, 0, hi);
    const UInt64* numbers = index.samplePrefixes.GetContent();
    const Int32 samples = hi + 1;
    const std::u16string& first = index.sortedIndex[1].GetKey().Get();
    const USize shared = index.samplePrefixLength;
    const int order = key.Get().compare(0, shared, first, 0, shared);
    // A key without the shared units lies below every sample or above every one.
    Int32 lo = order < 0 ? 0 : samples;
    hi = lo - 1;
    if (order == 0) {
        const PackedKey packed = PackKey(key, shared);
        lo = FirstWhere(0, samples, [&](Int32 k) { return PackedAt(numbers, k) >= packed; });
        hi = FirstAbove(numbers, lo, samples, packed) - 1;
    }
    return SearchEntries(index.sortedIndex, key, lo, hi);
}

}  // namespace DataOmbraPlugin
