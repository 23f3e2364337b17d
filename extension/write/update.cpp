#include "extension/write/update.h"

#include <exception>

#include "extension/store/data_file.h"
#include "extension/store/loading.h"
#include "extension/store/lookup.h"
#include "extension/write/append.h"
#include "extension/write/write_text_line.h"
#include "host/environment.h"

namespace DataOmbraPlugin {
namespace {

ZRErrCode HaveSameByteLength(const ChannelInfo& info, const ZR::UniString& a,
                             const ZR::UniString& b, bool& same) {
    UInt32 aLength = 0;
    UInt32 bLength = 0;
    ZRErrCode status = EncodedLength(info, a, aLength);
    if (status == NoError) status = EncodedLength(info, b, bLength);
    same = status == NoError && aLength == bLength;
    return status;
}

// UpdateRecord's steps; may raise the exceptions of the containers and strings.
ZRErrCode ApplyRecordText(ChannelInfo& info, const ZR::UniString& key,
                          const ZR::UniString& recordText) {
    EnsureLoaded(info);
    if (!info.loaded) return StatusLoadFailed;
    RecordPlace place;
    ZR::UniString current;
    ZRErrCode status = FindRecordLine(info, key, place.offset, &place.entryPosition,
                                      place.searchedSorted, current);
    if (status != NoError) return status;
    const bool deletion = recordText.IsEmpty();
    if (deletion && !place.Found()) return NoError;
    const ZR::UniString line = deletion ? MakeDeletionLine(key, info.separator) : recordText;
    if (place.Found()) {
        if (line == current) return NoError;
        // In place only when the bytes match in number: more would overwrite the start of the
        // next line, fewer would leave bytes of the old one (equal characters are not enough in
        // UTF-8).
        bool sameLength = false;
        if (!deletion) status = HaveSameByteLength(info, line, current, sameLength);
        if (status != NoError) return status;
        if (sameLength) return OverwriteInPlace(info, place.offset, line);
    }
    return AppendRecord(info, key, place, line);
}

}  // namespace

ZRErrCode UpdateRecord(ChannelInfo& info, const ZR::UniString& key,
                       const ZR::UniString& recordText) {
    try {
        return ApplyRecordText(info, key, recordText);
    } catch (const std::exception&) {
        return StatusReportedError;
    }
}

ZRErrCode InsertTailEntry(ChannelInfo& info, const RecInfoRec& entry) {
    try {
        // The order of FindRecord's search (UniString code units), not a code-page comparison:
        // the two order characters such as U+20AC differently, and the lookup would miss keys.
        const ZR::UniString& key = entry.GetKey();
        Int32 low = 0;
        Int32 high = Int32(info.tailIndex.GetSize()) - 2;
        while (low <= high) {
            const Int32 middle = (low + high) / 2;
            const Int32 order = key.Compare(info.tailIndex[USize(middle) + 1].GetKey());
            if (order == 0) return StatusDuplicateKey;
            if (order < 0) {
                high = middle - 1;
            } else {
                low = middle + 1;
            }
        }
        info.tailIndex.Insert(USize(low) + 1, entry);
        return NoError;
    } catch (const std::exception&) {
        return StatusReportedError;
    }
}

}  // namespace DataOmbraPlugin
