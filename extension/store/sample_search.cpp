#include "extension/store/sample_search.h"

#include <algorithm>
#include <bit>
#include <compare>
#include <cstring>

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
UInt64 Pack(std::u16string_view key, USize from) {
    if (from + PackedUnits <= key.size()) {  // as most are: all four units present
        const char16_t* units = key.data() + from;
        return UInt64(units[0]) << 48 | UInt64(units[1]) << 32 | UInt64(units[2]) << 16 |
               UInt64(units[3]);
    }
    UInt64 packed = 0;
    for (USize i = from; i < from + PackedUnits; ++i) {
        packed = (packed << 16) | (i < key.size() ? UInt64(key[i]) : 0);
    }
    return packed;
}

PackedKey PackAfter(std::u16string_view key, USize from) {
    return {Pack(key, from), Pack(key, from + PackedUnits)};
}

// The number of code units that `a` and `b` begin with alike.
USize SharedPrefixLength(std::u16string_view a, std::u16string_view b) {
    return USize(MismatchUnits(a.data(), b.data(), std::min(a.size(), b.size())));
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

// Sorted entries (an end entry after them) with the packed keys built for them.
struct PackedEntries {
    const ZR::VAArray<RecInfoRec>& entries;
    const ZR::Array<UInt64>& numbers;
    USize shared;  // the code units every entry's key begins with, which the numbers leave out

    // False once entries were inserted after the numbers were built (a writing channel's tail):
    // the entries are then searched without them. An entry replaced in place keeps its key.
    bool Describe() const {
        return !numbers.IsEmpty() &&
               numbers.GetSize() == NumbersPerSample * (entries.GetSize() - 1);
    }
};

// Packs the keys of the entries before the end entry into `numbers`, after the `shared` code
// units they all begin with. Raises ZR::BMOutOfMemoryException when the array cannot grow.
void PackEntries(const ZR::VAArray<RecInfoRec>& entries, ZR::Array<UInt64>& numbers,
                 UInt32& shared) {
    numbers.Clear();
    shared = 0;
    if (entries.GetSize() < 2) return;
    const USize count = entries.GetSize() - 1;
    // Keys ascend, so every entry shares what the first and the last share.
    shared = UInt32(SharedPrefixLength(entries[1].GetKey(), entries[count].GetKey()));
    numbers.SetSize(NumbersPerSample * count);
    UInt64* packed = numbers.GetContent();
    const RecInfoRec* entry = entries.GetContent();  // the entry at position 1
    for (USize k = 0; k < count; ++k) {
        const PackedKey key = PackAfter(entry[k].GetKey(), shared);
        *packed++ = key.high;
        *packed++ = key.low;
    }
}

// SearchEntries over every entry before the end entry, narrowed by the packed keys when they
// describe the entries. The result and `hi` are the same either way.
Int32 SearchPacked(const PackedEntries& packed, std::u16string_view key, Int32& hi) {
    hi = Int32(packed.entries.GetSize()) - 2;
    if (!packed.Describe()) return SearchEntries(packed.entries, key, 0, hi);
    const UInt64* numbers = packed.numbers.GetContent();
    const Int32 count = hi + 1;
    const std::u16string_view first = packed.entries[1].GetKey();
    const USize shared = packed.shared;
    const int order = key.substr(0, shared).compare(first.substr(0, shared));
    // A key without the shared units lies below every entry or above every one.
    Int32 lo = order < 0 ? 0 : count;
    hi = lo - 1;
    if (order == 0) {
        const PackedKey wanted = PackAfter(key, shared);
        lo = FirstWhere(0, count, [&](Int32 k) { return PackedAt(numbers, k) >= wanted; });
        hi = FirstAbove(numbers, lo, count, wanted) - 1;
    }
    return SearchEntries(packed.entries, key, lo, hi);
}

}  // namespace

PackedKey PackKey(std::u16string_view key, USize from) {
    return PackAfter(key, from);
}

void BuildSamplePrefixes(RecordIndex& index) {
    PackEntries(index.sortedIndex, index.samplePrefixes, index.samplePrefixLength);
}

void BuildTailPrefixes(RecordIndex& index) {
    PackEntries(index.tailIndex, index.tailPrefixes, index.tailPrefixLength);
}

Int32 SearchEntries(const ZR::VAArray<RecInfoRec>& index, std::u16string_view key, Int32 lo,
                    Int32& hi) {
    const RecInfoRec* entries = index.GetContent();
    while (lo <= hi) {
        const Int32 mid = (lo + hi) >> 1;
        const Int32 order = CompareKeys(key, entries[mid].GetKey());
        if (order == 0) return mid;
        if (order < 0) {
            hi = mid - 1;
        } else {
            lo = mid + 1;
        }
    }
    return -1;
}

Int32 SearchSamples(const RecordIndex& index, std::u16string_view key, Int32& hi) {
    return SearchPacked({index.sortedIndex, index.samplePrefixes, index.samplePrefixLength}, key,
                        hi);
}

Int32 SearchTail(const RecordIndex& index, std::u16string_view key, Int32& hi) {
    return SearchPacked({index.tailIndex, index.tailPrefixes, index.tailPrefixLength}, key, hi);
}

}  // namespace DataOmbraPlugin
