#include "extension/store/index_cache.h"

#include <exception>
#include <list>
#include <utility>

namespace DataOmbraPlugin {
namespace {

struct CachedIndex {
    IndexSource source;
    std::shared_ptr<const RecordIndex> index;
    UInt64 bytes = 0;
};

// Most recently used first. A handful of files at a time: a linear search is the fastest.
std::list<CachedIndex> cache;
UInt64 cachedBytes = 0;

void EvictLeastRecentlyUsed() {
    cachedBytes -= cache.back().bytes;
    cache.pop_back();
}

}  // namespace

std::shared_ptr<const RecordIndex> FindCachedIndex(const IndexSource& source, UInt8* utf8) {
    for (auto it = cache.begin(); it != cache.end(); ++it) {
        const IndexSource& cached = it->source;
        if (!cached.identity.SameContent(source.identity) || cached.separator != source.separator)
            continue;
        if (utf8 == nullptr && cached.utf8 != source.utf8) continue;
        if (utf8 != nullptr) *utf8 = cached.utf8;
        cache.splice(cache.begin(), cache, it);
        return it->index;
    }
    return nullptr;
}

void RememberIndex(const IndexSource& source, std::shared_ptr<const RecordIndex> index) {
    if (!source.identity.settled || index == nullptr) return;
    const UInt64 bytes = IndexFootprint(*index);
    if (bytes > IndexCacheBudget) return;
    try {
        while (!cache.empty() && cachedBytes + bytes > IndexCacheBudget) EvictLeastRecentlyUsed();
        cache.push_front(CachedIndex{source, std::move(index), bytes});
        cachedBytes += bytes;
    } catch (const std::exception&) {
        // Not kept: the channel still has its index.
    }
}

void ClearIndexCache() {
    cache.clear();
    cachedBytes = 0;
}

UInt64 CachedIndexBytes() {
    return cachedBytes;
}

UInt64 IndexFootprint(const RecordIndex& index) {
    UInt64 bytes = sizeof(RecordIndex);
    bytes += UInt64(index.sortedIndex.GetSize() + index.tailIndex.GetSize()) * sizeof(RecInfoRec);
    bytes += UInt64(index.samplePrefixes.GetSize() + index.tailPrefixes.GetSize()) * sizeof(UInt64);
    bytes += index.recordKeys.Footprint();
    return bytes;
}

}  // namespace DataOmbraPlugin
