// The process-wide cache of built record indexes. An index is a pure function of a file's bytes,
// its separator and its encoding, so reading channels of unchanged content share one instead of
// each loading the file: the cycle scripts run (OPEN, a few INPUTs, CLOSE, for every object
// regenerated) then costs a few system calls, not a load.
#pragma once

#include <memory>

#include "extension/frame/channel_info.h"

namespace DataOmbraPlugin {

// The memory the cache may hold in indexes (IndexFootprint); the least recently used go first.
// An index of a sorted file holds at most MaxSortedSamples keys, a few MiB for long keys, so
// this keeps a few dozen catalogues of any size.
constexpr UInt64 IndexCacheBudget = 64 * 1024 * 1024;

// What an index is built from: the file's content as the operating system identifies it, and the
// reading settings that shape the keys.
struct IndexSource {
    IO::FileIdentity identity;
    ZR::UniChar separator = DefaultSeparator;
    UInt8 utf8 = 0;
};

// The cached index of `source`, or null. A hit becomes the most recently used. When `utf8` is
// given, the source's encoding is not compared and `utf8` receives the encoding the index was
// built in: content that has not changed begins with the mark it had.
std::shared_ptr<const RecordIndex> FindCachedIndex(const IndexSource& source,
                                                   UInt8* utf8 = nullptr);

// Keeps `index`, built from `source` (which the cache must not hold yet), when the source's
// identity is settled (a change within the timestamp granularity could otherwise leave the
// identity equal and the index stale) and the index fits the budget; the least recently used
// indexes are evicted until it fits. Channels that hold an evicted
// index keep it until they let go. Never throws: an index that cannot be kept is simply not kept.
void RememberIndex(const IndexSource& source, std::shared_ptr<const RecordIndex> index);

// Empties the cache (a cold start).
void ClearIndexCache();

// Bytes the cache holds in indexes, by IndexFootprint.
UInt64 CachedIndexBytes();

// The memory an index occupies: its entries, its keys (with their text where it lies outside
// the string) and its search aid.
UInt64 IndexFootprint(const RecordIndex& index);

}  // namespace DataOmbraPlugin
