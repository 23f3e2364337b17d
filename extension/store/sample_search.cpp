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

// The first of `count` samples whose packed key is above `packed` (`upper`), or not below it.
Int32 Bound(const UInt64* numbers, Int32 count, const PackedKey& packed, bool upper) {
    Int32 lo = 0;
    Int32 hi = count;
    while (lo < hi) {
        const Int32 mid = (lo + hi) >> 1;
        const PackedKey at = PackedAt(numbers, mid);
        if (upper ? at <= packed : at < packed) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    return lo;
}

USize SharedPrefixLength(const ZR::UniString& a, const ZR::UniString& b) {
    const auto [left, right] =
        std::mismatch(a.Get().begin(), a.Get().end(), b.Get().begin(), b.Get().end());
    return USize(left - a.Get().begin());
}

bool PrefixesDescribe(const ChannelInfo& info) {
    return !info.samplePrefixes.IsEmpty() &&
           info.samplePrefixes.GetSize() == NumbersPerSample * (info.sortedIndex.GetSize() - 1);
}

}  // namespace

void BuildSamplePrefixes(ChannelInfo& info) {
    info.samplePrefixes.Clear();
    const USize samples = info.sortedIndex.GetSize() - 1;
    if (info.sortedIndex.IsEmpty() || samples == 0) return;
    // Keys ascend, so every sample shares what the first and the last share.
    const USize shared =
        SharedPrefixLength(info.sortedIndex[1].GetKey(), info.sortedIndex[samples].GetKey());
    info.samplePrefixes.Reserve(NumbersPerSample * samples);
    for (USize k = 1; k <= samples; ++k) {
        const PackedKey packed = PackKey(info.sortedIndex[k].GetKey(), shared);
        info.samplePrefixes.Push(packed.high);
        info.samplePrefixes.Push(packed.low);
    }
    info.samplePrefixLength = shared;
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

Int32 SearchSamples(const ChannelInfo& info, const ZR::UniString& key, Int32& hi) {
    hi = Int32(info.sortedIndex.GetSize()) - 2;
    if (!PrefixesDescribe(info)) return SearchEntries(info.sortedIndex, key, 0, hi);
    const UInt64* numbers = info.samplePrefixes.GetContent();
    const Int32 samples = hi + 1;
    const std::u16string& first = info.sortedIndex[1].GetKey().Get();
    const USize shared = info.samplePrefixLength;
    const int order = key.Get().compare(0, shared, first, 0, shared);
    // A key without the shared units lies below every sample or above every one.
    Int32 lo = order < 0 ? 0 : samples;
    hi = lo - 1;
    if (order == 0) {
        const PackedKey packed = PackKey(key, shared);
        lo = Bound(numbers, samples, packed, false);
        hi = Bound(numbers + NumbersPerSample * USize(lo), samples - lo, packed, true) + lo - 1;
    }
    return SearchEntries(info.sortedIndex, key, lo, hi);
}

}  // namespace DataOmbraPlugin
