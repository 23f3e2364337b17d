#include "extension/store/loading.h"

#include <exception>
#include <memory>
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

// Builds sortedIndex from the samples the count took (the whole run, each line a sample, as
// BuildSortedIndex takes them from a run of at most MaxSortedSamples lines), and leaves the file
// at the run's end, where the tail begins.
ZRErrCode AdoptRunSamples(ChannelInfo& info, RecordIndex& index, const RunSamples& samples) {
    {
        const KeyReader reader(info);  // decodes only; gone before the file is positioned
        UInt32 start = 0;
        for (size_t k = 0; k < samples.ends.size(); ++k) {
            const std::string_view key(samples.keys.data() + start, samples.ends[k] - start);
            index.recordKeys.Push(reader.Decode(key));
            index.sortedIndex.Push(
                RecInfoRec{index.recordKeys.GetSize(), samples.starts[k], &index.recordKeys});
            start = samples.ends[k];
        }
    }
    index.sortedIndex.Push(
        RecInfoRec{RecInfoRec::EndEntryKeyIndex, samples.runEnd, &index.recordKeys});
    BuildSamplePrefixes(index);
    return info.file->SetDataPosition(Int32(samples.runEnd));
}

// Builds both indexes of the channel's file into `index` from the start of the file; a status
// other than 0 means a failed load.
ZRErrCode BuildIndexes(ChannelInfo& info, RecordIndex& index) {
    // A failed load may have left the position anywhere: the count starts at the file's start,
    // where it also starts after OPEN (a byte-order mark there is dropped by the line reader).
    ZRErrCode status = info.file->SetDataPosition(0);
    if (status != NoError) return status;
    try {
        UInt32 runLines = 0;
        UInt32 tailLines = 0;
        RunSamples samples;
        status = PrescanFile(info, runLines, tailLines, &samples);
        if (status != NoError) return status;
        const UInt32 entries = runLines <= MaxSortedSamples ? runLines : MaxSortedSamples;
        index.sortedIndex.Reserve(entries + 1);
        index.tailIndex.Reserve(tailLines + 1);
        index.recordKeys.Reserve(entries + tailLines);
        status = samples.complete ? AdoptRunSamples(info, index, samples)
                                  : BuildSortedIndex(info, index, entries, runLines);
        if (status == NoError) status = BuildTailIndex(info, index, tailLines);
    } catch (const std::exception&) {
        status = StatusLoadFailed;
    }
    return status;
}

// Appends `key` to the key store and an entry for the line at `position` to sortedIndex.
void AppendSample(RecordIndex& index, ZR::UniString&& key, UInt32 position) {
    index.recordKeys.Push(std::move(key));
    index.sortedIndex.Push(RecInfoRec{index.recordKeys.GetSize(), position, &index.recordKeys});
}

// Samples the run's lines into sortedIndex; `consumed` counts the run's lines read so far.
ZRErrCode SampleRun(ChannelInfo& info, RecordIndex& index, UInt32 entries, UInt32 runLines,
                    UInt32& consumed) {
    KeyReader reader(info);
    std::string_view key;
    const double step = double(runLines) / double(entries);
    UInt32 position = info.DataStart();
    ZRErrCode status = NoError;
    for (UInt32 k = 1; k <= entries && status == NoError; ++k) {
        status = reader.ReadKey(key);
        if (status != NoError) break;
        ++consumed;
        AppendSample(index, reader.Decode(key), position);
        if (k == entries) break;  // the last sample: the rest of the run is skipped by the caller
        const Int64 next = Int64(double(k + 1) * step) - 1;
        if (next > Int64(consumed)) {
            status = reader.SkipLines(UInt32(next - consumed));
            consumed = UInt32(next);
        }
        if (status == NoError) status = reader.Position(position);
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

ZRErrCode PrescanFile(ChannelInfo& info, UInt32& runLines, UInt32& tailLines, RunSamples* samples) {
    runLines = 0;
    tailLines = 0;
    KeyReader reader(info);
    std::string previous;
    std::string_view key;
    // The run: each key strictly above the one before it, the first above the empty key.
    ZRErrCode status = NoError;
    UInt32 start = info.DataStart();  // of the next line, while samples are taken
    while ((status = reader.ReadKey(key)) == NoError) {
        if (!reader.Less(previous, key)) {
            tailLines = 1;
            break;
        }
        ++runLines;
        previous.assign(key);
        if (samples != nullptr && samples->complete) {
            samples->complete = runLines <= MaxSortedSamples;
            if (samples->complete) {
                samples->keys.append(key);
                samples->ends.push_back(UInt32(samples->keys.size()));
                samples->starts.push_back(start);
                samples->complete = reader.Position(start) == NoError;
            }
        }
    }
    if (samples != nullptr) samples->runEnd = start;
    // After the run only the lines are counted.
    if (tailLines != 0) {
        while ((status = reader.SkipLines(1)) == NoError) ++tailLines;
    }
    return status == IO::ErrEndOfFile ? NoError : status;
}

ZRErrCode BuildSortedIndex(ChannelInfo& info, RecordIndex& index, UInt32 entries, UInt32 runLines) {
    // Where the first line starts; a failure here shows in the first read.
    info.file->SetDataPosition(Int32(info.DataStart()));
    UInt32 consumed = 0;
    ZRErrCode status = entries > 0 ? SampleRun(info, index, entries, runLines, consumed) : NoError;
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

}  // namespace DataOmbraPlugin
