#include "extension/write/update.h"

#include <exception>
#include <string>

#include "extension/store/data_file.h"
#include "extension/store/lookup.h"
#include "extension/store/sample_search.h"
#include "extension/write/append.h"
#include "extension/write/write_text_line.h"
#include "host/environment.h"

namespace DataOmbraPlugin {
namespace {

// Sets `bytes` to `line` with its line end, encoded, and `fits` to whether they may replace the
// bytes of `current` at `offset`: only as many bytes (more would overwrite the start of the next
// line, fewer would leave bytes of the old one; equal characters are not enough in UTF-8), and not
// the mark's bytes at the start of a file in the default code page.
ZRErrCode EncodeForPlace(const ChannelInfo& info, UInt32 offset, const ZR::UniString& line,
                         const ZR::UniString& current, std::string& bytes, bool& fits) {
    std::string currentBytes;
    ZRErrCode status = EncodeLine(info, line, bytes);
    if (status == NoError) status = EncodeLine(info, current, currentBytes);
    fits = status == NoError && bytes.size() == currentBytes.size() &&
           !WouldPutMarkAtStart(info, offset, bytes);
    if (fits) bytes.push_back('\r');
    return status;
}

// UpdateRecord's steps; may raise the exceptions of the containers and strings.
ZRErrCode ApplyRecordText(ChannelInfo& info, const ZR::UniString& key,
                          const ZR::UniString& recordText) {
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
        std::string bytes;
        bool fits = false;
        if (!deletion) status = EncodeForPlace(info, place.offset, line, current, bytes, fits);
        if (status != NoError) return status;
        if (fits) return OverwriteInPlace(info, place.offset, bytes);
    }
    return AppendRecord(info, key, place, line);
}

}  // namespace

ZRErrCode UpdateRecord(ChannelInfo& info, const ZR::UniString& key,
                       const ZR::UniString& recordText) {
    try {
        return ApplyRecordText(info, key, recordText);
    } catch (const std::exception&) {
        return ErrMemoryFull;
    }
}

ZRErrCode InsertTailEntry(ChannelInfo& info, const RecInfoRec& entry) {
    // The order of FindRecordLine's search (UniString code units), not a code-page comparison: the
    // two order characters such as U+20AC differently, and the lookup would miss keys.
    Int32 below = Int32(info.tailIndex.GetSize()) - 2;
    if (SearchEntries(info.tailIndex, entry.GetKey(), 0, below) >= 0) return StatusDuplicateKey;
    info.tailIndex.Insert(USize(below + 2), entry);  // positions count from 1
    return NoError;
}

}  // namespace DataOmbraPlugin
