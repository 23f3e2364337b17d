// Building a channel's record index from its data file: a counting pass, a sampled index over
// the leading sorted run and an exact, sorted index of every line after it.
#pragma once

#include <string_view>

#include "extension/frame/channel_info.h"
#include "extension/frame/statuses.h"

namespace DataOmbraPlugin {

class KeyReader;

// Builds the indexes when `loaded` is 0. Afterwards `loaded` tells whether they describe the
// file; on failure all three containers are empty and the next call loads again in full. A
// reading channel takes the cached index of its file's content when there is one (checked with
// one query of the file's identity), and offers the index it builds to the cache.
void EnsureLoaded(ChannelInfo& info);

// What the counting pass found.
struct FileLines {
    UInt32 runLines = 0;   // lines of the leading run
    UInt32 tailLines = 0;  // lines after it
    // The run has at most MaxSortedSamples lines, and the pass indexed every line as it met it:
    // the run's lines as the samples of sortedIndex with its end entry, the lines after the run as
    // tailIndex entries in file order (FinishTailIndex completes them).
    bool indexed = false;
    UInt32 end = 0;  // when indexed: the offset just past the last line
    // When not indexed: the first `sampledLines` lines of the run, each an entry of sortedIndex
    // with its key, which the samples among them are taken from; `sampledEnd` is the offset of the
    // line after them.
    UInt32 sampledLines = 0;
    UInt32 sampledEnd = 0;
};

// Counts, from the file's current position (the file's start), the lines of the leading run and
// the lines after it into `lines`. Returns 0 at the end of the file, or the read failure that
// ended the count: counts that stop short of the end would index part of the file as all of it,
// and a later save would drop the rest, so the load fails instead. `index`, when given, receives
// the entries of `lines.indexed`, or else those of `lines.sampledLines` (then often none).
[[nodiscard]] ZRErrCode PrescanFile(ChannelInfo& info, FileLines& lines,
                                    RecordIndex* index = nullptr);

// Samples `entries` lines of the `runLines`-line leading run of the channel's file into the
// sortedIndex of `index` (entry 1 is line 0, entry j >= 2 is line trunc(j * runLines / entries)
// - 1) and appends the end entry.
[[nodiscard]] ZRErrCode BuildSortedIndex(ChannelInfo& info, RecordIndex& index, UInt32 entries,
                                         UInt32 runLines);

// Indexes the `tailLines` lines after the run into the tailIndex of `index`: sorted by key, the
// last occurrence of each key kept, then the end entry just past the last line. A line missing at
// the end of the file gets no entry; any other read failure fails the pass, since an entry left out
// would lose its record.
[[nodiscard]] ZRErrCode BuildTailIndex(ChannelInfo& info, RecordIndex& index, UInt32 tailLines);

// Adds the line that `reader` just read, at `offset`, with key `key`, to the tailIndex of `index`
// in file order, unless it is empty. Raises ZR::BMOutOfMemoryException when memory runs out.
void CollectTailLine(const KeyReader& reader, std::string_view key, UInt32 offset,
                     RecordIndex& index);

// Completes the tailIndex of `index`, whose entries CollectTailLine collected, as BuildTailIndex
// leaves it; `end` is the offset just past the last line. Returns ErrMemoryFull when memory runs
// out.
[[nodiscard]] ZRErrCode FinishTailIndex(RecordIndex& index, UInt32 end);

// The order of tailIndex: by key; equal keys by descending file offset; end entries last.
Int32 CompareIndexEntries(const RecInfoRec& a, const RecInfoRec& b);

}  // namespace DataOmbraPlugin
