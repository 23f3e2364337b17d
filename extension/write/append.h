// The steps that write a record's line into the data file: in place or appended at its end.
// Internal to the writing subsystem; the channel must be loaded.
#pragma once

#include <string_view>

#include "extension/frame/channel_info.h"

namespace DataOmbraPlugin {

// Where FindRecordLine met a key.
struct RecordPlace {
    UInt32 offset = MaxUIndex;  // start of the record's line; MaxUIndex when the key is absent
    Int32 entryPosition = -1;   // 0-based position of its index entry; -1 when found by a scan
    UInt8 searchedSorted = 0;   // 0 exactly when the entry is in tailIndex

    bool Found() const { return offset != MaxUIndex; }
    bool HasEntry() const { return Found() && entryPosition >= 0; }
    bool InTail() const { return HasEntry() && searchedSorted == 0; }
};

// Writes `bytes` (an encoded line with its carriage return) over the record's line at `offset`,
// whose bytes must number exactly as many. Flushed to the operating system on success.
[[nodiscard]] ZRErrCode OverwriteInPlace(ChannelInfo& info, UInt32 offset, std::string_view bytes);

// Appends `line` (carriage return not yet added) as the newest line of `key`, points tailIndex
// at it and sets `modified`. The line always starts on a line of its own. When the line is in the
// file but cannot be indexed, the indexes are dropped so that the next use reloads the file, and
// the record counts as stored (0). A failure to write returns the write's status, with any part
// of the line that reached the file cut back.
[[nodiscard]] ZRErrCode AppendRecord(ChannelInfo& info, const ZR::UniString& key,
                                     const RecordPlace& place, ZR::UniString line);

}  // namespace DataOmbraPlugin
