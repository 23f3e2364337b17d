// The index of the lines after the leading run: every line's key, sorted, the newest line of each
// key kept.
#include <algorithm>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "extension/store/data_file.h"
#include "extension/store/key_reader.h"
#include "extension/store/loading.h"
#include "extension/store/sample_search.h"
#include "host/environment.h"

namespace DataOmbraPlugin {
namespace {

// Reads `tailLines` lines into unsorted entries; `end` receives the position after the last one.
// A line missing at the end of the file gets no entry; other failures end the pass.
ZRErrCode CollectTailEntries(ChannelInfo& info, RecordIndex& index, UInt32 tailLines, UInt32& end) {
    KeyReader reader(info);
    ZRErrCode status = reader.Position(end);
    if (status != NoError) return status;
    std::string_view key;
    for (UInt32 i = 0; i < tailLines; ++i) {
        status = reader.ReadKey(key);
        if (status != NoError && status != IO::ErrEndOfFile) return status;
        if (status == NoError) CollectTailLine(reader, key, end, index);
        status = reader.Position(end);
        if (status != NoError) return status;
    }
    return NoError;
}

// Sorts the entries by CompareIndexEntries: by eight code units of their keys after the units all
// keys begin with, packed into two numbers (which order as the keys do), and only on equal numbers
// by the whole keys and the offsets.
void SortByKey(ZR::VAArray<RecInfoRec>& index) {
    if (index.IsEmpty()) return;
    const std::u16string_view first = index[1].GetKey();
    size_t shared = first.size();
    for (const RecInfoRec& entry : index) {
        const std::u16string_view key = entry.GetKey();
        shared = MismatchUnits(first.data(), key.data(), std::min(shared, key.size()));
    }
    struct PackedEntry {
        PackedKey key;
        RecInfoRec entry;
    };
    std::vector<PackedEntry> packed;
    packed.reserve(index.GetSize());
    for (const RecInfoRec& entry : index)
        packed.push_back({PackKey(entry.GetKey(), shared), entry});
    std::sort(packed.begin(), packed.end(), [](const PackedEntry& a, const PackedEntry& b) {
        if (a.key != b.key) return a.key < b.key;
        return CompareIndexEntries(a.entry, b.entry) < 0;
    });
    for (size_t k = 0; k < packed.size(); ++k) index.GetContent()[k] = packed[k].entry;
}

// Sorts the entries and keeps the first of each run of equal keys, which the order puts at the
// newest line of the key.
void SortAndDropSuperseded(ZR::VAArray<RecInfoRec>& index) {
    SortByKey(index);
    const auto kept = std::unique(
        index.begin(), index.end(),
        [](const RecInfoRec& a, const RecInfoRec& b) { return a.GetKey() == b.GetKey(); });
    index.SetSize(USize(kept - index.begin()));
}

}  // namespace

ZRErrCode BuildTailIndex(ChannelInfo& info, RecordIndex& index, UInt32 tailLines) {
    UInt32 end = 0;
    try {
        const ZRErrCode status = CollectTailEntries(info, index, tailLines, end);
        if (status != NoError) return status;
    } catch (const std::exception&) {
        return ErrMemoryFull;
    }
    return FinishTailIndex(index, end);
}

// An empty line gets no entry: it holds nothing INPUT could return, so it must not hide an earlier
// line of the empty key, and a save, which copies indexed lines only, drops it (a trailing empty
// line from an editor would otherwise be saved first and leave the whole file unsorted).
void CollectTailLine(const KeyReader& reader, std::string_view key, UInt32 offset,
                     RecordIndex& index) {
    if (reader.LastLineEmpty()) return;
    reader.AppendKey(key, index.recordKeys);
    index.tailIndex.Push(RecInfoRec{index.recordKeys.GetSize(), offset, &index.recordKeys});
}

ZRErrCode FinishTailIndex(RecordIndex& index, UInt32 end) {
    try {
        SortAndDropSuperseded(index.tailIndex);
        index.tailIndex.Push(RecInfoRec{RecInfoRec::EndEntryKeyIndex, end, &index.recordKeys});
        BuildTailPrefixes(index);
        return NoError;
    } catch (const std::exception&) {
        return ErrMemoryFull;
    }
}

Int32 CompareIndexEntries(const RecInfoRec& a, const RecInfoRec& b) {
    if (a.IsEndEntry()) return 1;
    if (b.IsEndEntry()) return -1;
    const Int32 order = CompareKeys(a.GetKey(), b.GetKey());
    if (order != 0) return order < 0 ? -1 : 1;
    if (a.filePos == b.filePos) return 0;
    // Equal keys: the later line first.
    return Int32(a.filePos) < Int32(b.filePos) ? 1 : -1;
}

}  // namespace DataOmbraPlugin
