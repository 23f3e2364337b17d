#include "extension/store/loading.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "extension/store/data_file.h"
#include "extension/store/index_cache.h"
#include "extension/store/key_reader.h"
#include "extension/store/sample_search.h"
#include "host/utility.h"

namespace DataOmbraPlugin {
namespace {

// Takes the lines of the leading run, one by one from the file's start, as the samples of
// sortedIndex, their keys compared in the key store where they are kept.
class RunSampler {
public:
    RunSampler(ChannelInfo& info, RecordIndex& index)
        : info(info), index(index), start(info.DataStart()) {}

    // Appends the line whose key `reader` just read as the next sample, when its key is above the
    // last sample's (the first one above the empty key); false, with nothing appended, otherwise.
    bool TakeIfAscending(KeyReader& reader, std::string_view key) {
        KeyStore& keys = index.recordKeys;
        reader.AppendKey(key, keys);
        const USize last = keys.GetSize();
        if (CompareKeys(last > 1 ? keys[last - 1] : u"", keys[last]) >= 0) {
            keys.DeleteLast();
            return false;
        }
        index.sortedIndex.Push(RecInfoRec{last, start, &keys});
        complete = reader.Position(start) == NoError;
        if (last == LinesBeforeEstimate) ReserveForFile();
        return true;
    }
    // False once the offset of a line was out of reach: the samples are then not all the run's.
    bool Complete() const { return complete; }
    // The offset of the line after the last sample.
    UInt32 NextLine() const { return start; }
    // Ends sortedIndex after the last sample and returns where the run ends.
    UInt32 EndRun() {
        index.sortedIndex.Push(RecInfoRec{RecInfoRec::EndEntryKeyIndex, start, &index.recordKeys});
        return start;
    }

private:
    // After this many samples, the arrays get room for the samples of the whole file, estimated
    // from the lines so far, so that they do not grow step by step: each step copies them into
    // memory that the system must then provide afresh.
    static constexpr USize LinesBeforeEstimate = 64;

    // Makes room for the lines of the whole file, as long as its lines so far are on average, and
    // an eighth more; an estimate too low only leaves the arrays to grow on their own.
    void ReserveForFile() {
        UInt64 fileBytes = 0;
        if (info.file->GetDataLength(&fileBytes) != NoError) return;
        const UInt64 bytes = std::max<UInt64>(start - info.DataStart(), 1);
        const UInt64 estimate = fileBytes * LinesBeforeEstimate / bytes;
        const UInt64 lines = estimate + estimate / 8;
        const UInt64 samples = std::min<UInt64>(lines, MaxSortedSamples);
        // The keys of the lines after the run join the same store: room for as many as OUTPUT
        // lets pile up before it compacts.
        const UInt64 keys = std::min<UInt64>(lines, MaxSortedSamples + CompactionEntries);
        const UInt64 units = index.recordKeys.UnitCount() * keys / LinesBeforeEstimate;
        index.sortedIndex.Reserve(USize(samples + 1));
        index.recordKeys.Reserve(USize(keys), size_t(units + units / 8));
    }

    ChannelInfo& info;
    RecordIndex& index;
    UInt32 start;  // the offset of the line after the last sample
    bool complete = true;
};

// Appends the key read by `reader` to the key store and an entry for the line at `position` to
// sortedIndex.
void AppendSample(RecordIndex& index, const KeyReader& reader, std::string_view key,
                  UInt32 position) {
    reader.AppendKey(key, index.recordKeys);
    index.sortedIndex.Push(RecInfoRec{index.recordKeys.GetSize(), position, &index.recordKeys});
}

// The line of the run (0-based) that sample `k` of `entries` is, for a run of `runLines` lines:
// line 0 for the first, trunc(k * runLines / entries) - 1 for the others.
UInt32 SampleLine(UInt32 k, double step) {
    return k == 1 ? 0 : UInt32(Int64(double(k) * step) - 1);
}

// Samples `first`..`entries` of the run into sortedIndex, from the file's position at line
// `consumed` of the run, at or before the line of sample `first`; `consumed` counts the run's lines
// read so far.
ZRErrCode SampleRun(ChannelInfo& info, RecordIndex& index, UInt32 entries, UInt32 runLines,
                    UInt32 first, UInt32& consumed) {
    KeyReader reader(info);
    std::string_view key;
    const double step = double(runLines) / double(entries);
    ZRErrCode status = NoError;
    for (UInt32 k = first; k <= entries && status == NoError; ++k) {
        const UInt32 line = SampleLine(k, step);
        if (line > consumed) {
            status = reader.SkipLines(line - consumed);
            consumed = line;
        }
        // The first line starts after a byte-order mark, which the reader drops.
        UInt32 position = info.DataStart();
        if (status == NoError && line > 0) status = reader.Position(position);
        if (status == NoError) status = reader.ReadKey(key);
        if (status != NoError) break;
        ++consumed;
        AppendSample(index, reader, key, position);
    }
    return status;
}

// Keeps, of the first `lines.sampledLines` lines of the run that the count left in sortedIndex
// (each line an entry), the samples among them, and returns how many those are.
UInt32 KeepCountedSamples(RecordIndex& index, UInt32 entries, const FileLines& lines) {
    const double step = double(lines.runLines) / double(entries);
    // The new store gets the room the counted lines' keys took: the samples of the whole run are
    // no more of them, and an eighth more holds the keys of the lines after the run.
    const KeyStore& counted = index.recordKeys;
    KeyStore keys;
    keys.Reserve(counted.GetSize() + CompactionEntries,
                 counted.UnitCount() + counted.UnitCount() / 8);
    UInt32 kept = 0;
    for (UInt32 k = 1; k <= entries; ++k) {
        const UInt32 line = SampleLine(k, step);
        if (line >= lines.sampledLines) break;
        // Entry `kept` is moved down from entry `line + 1`, its key into the new store.
        const RecInfoRec entry = index.sortedIndex[line + 1];
        keys.Push(index.recordKeys[entry.keyIndex]);
        ++kept;
        index.sortedIndex[kept] = RecInfoRec{kept, entry.filePos, &index.recordKeys};
    }
    index.sortedIndex.SetSize(kept);
    index.recordKeys.Swap(keys);
    return kept;
}

// Samples `first`..`entries` of the run as SampleRun does, skips the rest of the run and ends
// sortedIndex with the run's end.
ZRErrCode SampleRestOfRun(ChannelInfo& info, RecordIndex& index, UInt32 entries, UInt32 runLines,
                          UInt32 first, UInt32 consumed) {
    ZRErrCode status =
        first <= entries ? SampleRun(info, index, entries, runLines, first, consumed) : NoError;
    if (status == NoError && consumed < runLines) {
        // So many lines lie far beyond the offsets an index can hold.
        const UInt32 rest = runLines - consumed;
        status = rest <= MaxFileOffset ? SkipLines(info, Int32(rest)) : IO::ErrPosition;
    }
    // The end entry is where the run ends; an index cannot be trusted without it, so a failure to
    // get it fails the load.
    UInt32 end = 0;
    if (status == NoError) status = GetIndexPosition(info, end);
    if (status == NoError) {
        index.sortedIndex.Push(RecInfoRec{RecInfoRec::EndEntryKeyIndex, end, &index.recordKeys});
        BuildSamplePrefixes(index);
    }
    return status;
}

// Builds both indexes of the channel's file into `index` from the start of the file; a status
// other than 0 means a failed load.
ZRErrCode BuildIndexes(ChannelInfo& info, RecordIndex& index) {
    // A failed load may have left the position anywhere: the count starts at the file's start,
    // where it also starts after OPEN (a byte-order mark there is dropped by the line reader).
    ZRErrCode status = info.file->SetDataPosition(0);
    if (status != NoError) return status;
    try {
        FileLines lines;
        status = PrescanFile(info, lines, &index);
        if (status != NoError) return status;
        if (lines.indexed) {
            BuildSamplePrefixes(index);
            return FinishTailIndex(index, lines.end);
        }
        const UInt32 runLines = lines.runLines;
        const UInt32 entries = runLines <= MaxSortedSamples ? runLines : MaxSortedSamples;
        index.sortedIndex.Reserve(entries + 1);
        index.tailIndex.Reserve(lines.tailLines + 1);
        if (lines.sampledLines == 0) {
            status = BuildSortedIndex(info, index, entries, runLines);
        } else {
            // The samples among the lines the count took are kept; the run is read on from there.
            const UInt32 kept = KeepCountedSamples(index, entries, lines);
            status = info.file->SetDataPosition(Int32(lines.sampledEnd));
            if (status == NoError) {
                status =
                    SampleRestOfRun(info, index, entries, runLines, kept + 1, lines.sampledLines);
            }
        }
        if (status == NoError) status = BuildTailIndex(info, index, lines.tailLines);
    } catch (const std::exception&) {
        status = StatusLoadFailed;
    }
    return status;
}

// Reads a reading channel's encoding from the file's mark, where OPEN left that to the first load.
// A mark that cannot be read leaves the default code page, as at OPEN.
void ReadMarkIfUnread(ChannelInfo& info) {
    if (!info.markUnread) return;
    info.utf8 = IOUtil::CheckTextFileUTF8(*info.file) ? 1 : 0;
    info.markUnread = 0;
}

// A reading channel shares the cached index of its file's content, or builds one that the cache
// keeps; false when that cannot be done (the file's identity is unknown, or there is no memory
// for a shared index) and the channel is to load its own.
bool LoadShared(ChannelInfo& info) {
    IndexSource source;
    source.separator = info.separator;
    source.utf8 = info.utf8;
    if (info.file->GetIdentity(&source.identity) != NoError) return false;
    info.sharedIndex = FindCachedIndex(source, info.markUnread ? &info.utf8 : nullptr);
    if (info.sharedIndex != nullptr) {
        info.markUnread = 0;
        info.loaded = 1;
        return true;
    }
    ReadMarkIfUnread(info);
    source.utf8 = info.utf8;
    // Content the cache may not keep is loaded as a writer's is.
    if (!source.identity.settled) return false;
    std::shared_ptr<RecordIndex> index;
    try {
        index = std::make_shared<RecordIndex>();
    } catch (const std::exception&) {
        return false;
    }
    if (BuildIndexes(info, *index) != NoError) return true;  // a failed load stays unloaded
    info.sharedIndex = index;
    info.loaded = 1;
    RememberIndex(source, std::move(index));
    return true;
}

}  // namespace

void EnsureLoaded(ChannelInfo& info) {
    if (info.loaded || !info.file) return;
    info.DropContent();
    info.modified = 0;
    info.endsWithLineEnd = 0;
    // A writing channel changes its index, so it never shares one.
    if (info.openMode == ModeReadOnly && LoadShared(info)) return;
    ReadMarkIfUnread(info);
    if (BuildIndexes(info, info) == NoError) {
        info.loaded = 1;
    } else {
        info.DropContent();
    }
}

ZRErrCode PrescanFile(ChannelInfo& info, FileLines& lines, RecordIndex* index) {
    lines = FileLines{};
    KeyReader reader(info);
    std::string_view key;
    // The run: each key strictly above the one before it, the first above the empty key. Its
    // lines are samples while they can all be; after that the bytes of each key are compared with
    // those of the key before it, kept in `previous`.
    std::optional<RunSampler> sampler;
    if (index != nullptr) sampler.emplace(info, *index);
    std::string previous;
    ZRErrCode status = NoError;
    while ((status = reader.ReadKey(key)) == NoError) {
        if (sampler && lines.runLines == MaxSortedSamples) {
            // The run has more lines than samples: the lines so far stay for the samples among
            // them.
            lines.sampledLines = lines.runLines;
            lines.sampledEnd = sampler->NextLine();
            sampler.reset();
        }
        if (sampler) {
            if (!sampler->TakeIfAscending(reader, key)) {
                lines.tailLines = 1;
                break;
            }
            ++lines.runLines;
            if (!sampler->Complete() || lines.runLines == MaxSortedSamples) previous.assign(key);
            if (!sampler->Complete()) sampler.reset();
            continue;
        }
        if (!reader.Less(previous, key)) {
            lines.tailLines = 1;
            break;
        }
        ++lines.runLines;
        previous.assign(key);
    }
    if (status != NoError && status != IO::ErrEndOfFile) return status;
    if (!sampler) {
        if (index != nullptr && lines.sampledLines == 0) index->ClearIndex();
        // After the run only the lines are counted.
        if (lines.tailLines != 0) {
            while ((status = reader.SkipLines(1)) == NoError) ++lines.tailLines;
        }
        return status == IO::ErrEndOfFile ? NoError : status;
    }
    // The lines after a run of samples are indexed as they are counted; the key of the first is
    // at hand.
    lines.end = sampler->EndRun();
    status = lines.tailLines != 0 ? NoError : IO::ErrEndOfFile;
    while (status == NoError) {
        CollectTailLine(reader, key, lines.end, *index);
        status = reader.Position(lines.end);
        if (status == NoError) status = reader.ReadKey(key);
        if (status == NoError) ++lines.tailLines;
    }
    lines.indexed = status == IO::ErrEndOfFile;
    return lines.indexed ? NoError : status;
}

ZRErrCode BuildSortedIndex(ChannelInfo& info, RecordIndex& index, UInt32 entries, UInt32 runLines) {
    // Where the first line starts; a failure here shows in the first read.
    info.file->SetDataPosition(Int32(info.DataStart()));
    return SampleRestOfRun(info, index, entries, runLines, 1, 0);
}

}  // namespace DataOmbraPlugin
