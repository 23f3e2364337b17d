#include "extension/store/lookup.h"

#include <exception>
#include <string>

#include "extension/frame/channel_table.h"
#include "extension/store/data_file.h"
#include "extension/store/key_reader.h"
#include "extension/store/loading.h"
#include "extension/store/sample_search.h"
#include "host/environment.h"

namespace DataOmbraPlugin {
namespace {

// Reads the lines after sample `below` up to the next index entry, looking for `key`; `offset`
// receives the matching line's position. Returns the first failure, or 0.
GSErrCode ScanBetweenSamples(ChannelInfo& info, const ZR::UniString& key, Int32 below,
                             UInt32& offset) {
    const RecInfoRec* entries = info.sortedIndex.GetContent();
    const UInt32 stop = entries[below + 1].filePos;
    GSErrCode status = info.file->SetDataPosition(Int32(entries[below].filePos));
    KeyReader reader(info);
    if (status == NoError) status = reader.SkipLines(1);
    std::string wanted;
    // A key without a form in the file's encoding matches no line; the lines are still read, so
    // that a read failure shows as it would otherwise.
    const bool matchable = reader.Encode(key, wanted);
    std::string_view lineKey;
    while (status == NoError) {
        UInt32 position = 0;
        status = reader.Position(position);
        // A consistent file meets the next entry exactly; past it, the file changed under the
        // index, and the scan stops rather than read on to the end.
        if (status != NoError || position >= stop) break;
        status = reader.ReadKey(lineKey);
        if (status == NoError && matchable && lineKey == wanted) {
            offset = position;
            break;
        }
    }
    return status;
}

}  // namespace

GSErrCode FindRecord(ChannelInfo& info, const ZR::UniString& key, UInt32& offset,
                     Int32* entryPosition, UInt8& searchedSorted) {
    offset = MaxUIndex;
    if (entryPosition != nullptr) *entryPosition = -1;
    searchedSorted = 0;
    try {
        Int32 hi = Int32(info.tailIndex.GetSize()) - 2;
        Int32 found = SearchEntries(info.tailIndex, key, 0, hi);
        if (found >= 0) {
            offset = info.tailIndex.GetContent()[found].filePos;
            if (entryPosition != nullptr) *entryPosition = found;
            return NoError;
        }
        searchedSorted = 1;
        found = SearchSamples(info, key, hi);
        if (found >= 0) {
            offset = info.sortedIndex.GetContent()[found].filePos;
            if (entryPosition != nullptr) *entryPosition = found;
            return NoError;
        }
        if (hi < 0) return NoError;  // below the first sample, or no sample at all
        return ScanBetweenSamples(info, key, hi, offset);
    } catch (const std::exception&) {
        offset = MaxUIndex;
        if (entryPosition != nullptr) *entryPosition = -1;
        searchedSorted = 0;
        return StatusReportedError;
    }
}

GSErrCode ReadRecordLine(ChannelInfo& info, const ZR::UniString& key, ZR::UniString& line) {
    EnsureLoaded(info);
    UInt32 offset = MaxUIndex;
    UInt8 searchedSorted = 0;
    GSErrCode status = FindRecord(info, key, offset, nullptr, searchedSorted);
    if (status != NoError || offset == MaxUIndex) return status;
    info.file->SetDataPosition(Int32(offset));  // a failure shows in the read
    status = ReadTextLine(info, line);
    if (status != NoError) return status;
    try {
        if (line == MakeDeletionLine(key, info.separator)) line.Clear();
    } catch (const std::exception&) {
        return StatusReportedError;
    }
    return NoError;
}

bool EnsureChannelLoaded(UInt32 channel) {
    ChannelInfo* info = FindChannelRecord(channel);
    if (info == nullptr) return false;
    EnsureLoaded(*info);
    return info->loaded != 0;
}

GSErrCode ReadChannelRecord(UInt32 channel, const ZR::UniString& key, ZR::UniString& line) {
    ChannelInfo* info = FindChannelRecord(channel);
    if (info == nullptr) return StatusReportedError;
    return ReadRecordLine(*info, key, line);
}

}  // namespace DataOmbraPlugin
