#include "extension/store/sample_search.h"

#include <algorithm>

namespace DataOmbraPlugin {
namespace {

constexpr USize PackedUnits = 4;

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

USize SharedPrefixLength(const ZR::UniString& a, const ZR::UniString& b) {
    const auto [left, right] =
        std::mismatch(a.Get().begin(), a.Get().end(), b.Get().begin(), b.Get().end());
    return USize(left - a.Get().begin());
}

bool PrefixesDescribe(const ChannelInfo& info) {
    return !info.samplePrefixes.IsEmpty() &&
           info.samplePrefixes.GetSize() + 1 == info.sortedIndex.GetSize();
}

}  // namespace

void BuildSamplePrefixes(ChannelInfo& info) {
    info.samplePrefixes.Clear();
    const USize samples = info.sortedIndex.GetSize() - 1;
    if (info.sortedIndex.IsEmpty() || samples == 0) return;
    // Keys ascend, so every sample shares what the first and the last share.
    const USize shared =
        SharedPrefixLength(info.sortedIndex[1].GetKey(), info.sortedIndex[samples].GetKey());
    info.samplePrefixes.Reserve(samples);
    for (USize k = 1; k <= samples; ++k) {
        info.samplePrefixes.Push(Pack(info.sortedIndex[k].GetKey(), shared));
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
    const UInt64* begin = info.samplePrefixes.GetContent();
    const UInt64* end = begin + info.samplePrefixes.GetSize();
    const std::u16string& first = info.sortedIndex[1].GetKey().Get();
    const USize shared = info.samplePrefixLength;
    const int order = key.Get().compare(0, shared, first, 0, shared);
    // A key without the shared units lies below every sample or above every one.
    Int32 lo = order < 0 ? 0 : Int32(end - begin);
    hi = lo - 1;
    if (order == 0) {
        const UInt64 packed = Pack(key, shared);
        lo = Int32(std::lower_bound(begin, end, packed) - begin);
        hi = Int32(std::upper_bound(begin, end, packed) - begin) - 1;
    }
    return SearchEntries(info.sortedIndex, key, lo, hi);
}

}  // namespace DataOmbraPlugin
