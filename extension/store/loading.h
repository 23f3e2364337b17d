// Building a channel's record index from its data file: a counting pass, a sampled index over
// the leading sorted run and an exact, sorted index of every line after it.
#pragma once

#include <string>
#include <vector>

#include "extension/frame/channel_info.h"
#include "extension/frame/statuses.h"

namespace DataOmbraPlugin {

// Builds the indexes when `loaded` is 0. Afterwards `loaded` tells whether they describe the
// file; on failure all three containers are empty and the next call loads again in full. A
// reading channel takes the cached index of its file's content when there is one (checked with
// one query of the file's identity), and offers the index it builds to the cache.
void EnsureLoaded(ChannelInfo& info);

// The keys and line offsets of a leading run of at most MaxSortedSamples lines, as the count
// meets them: such a run is all samples, and need not be read again.
struct RunSamples {
    std::string keys;            // the keys' bytes, one after another
    std::vector<UInt32> ends;    // where each key ends in `keys`
    std::vector<UInt32> starts;  // the offset of each key's line
    UInt32 runEnd = 0;           // the offset of the first line after the run
    bool complete = true;        // false when the run is longer, or an offset was out of reach
};

// Counts, from the file's current position, the lines of the leading run (`runLines`) and the
// lines after it (`tailLines`). Returns 0 at the end of the file, or the read failure that ended
// the count: counts that stop short of the end would index part of the file as all of it, and a
// later save would drop the rest, so the load fails instead. `samples`, when given, receives the
// run's keys while they can all be samples.
[[nodiscard]] ZRErrCode PrescanFile(ChannelInfo& info, UInt32& runLines, UInt32& tailLines,
                                    RunSamples* samples = nullptr);

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

// The order of tailIndex: by key; equal keys by descending file offset; end entries last.
Int32 CompareIndexEntries(const RecInfoRec& a, const RecInfoRec& b);

}  // namespace DataOmbraPlugin
