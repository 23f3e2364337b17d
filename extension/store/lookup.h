// Finding a record's line by key and reading it back from the data file.
#pragma once

#include <string_view>

#include "extension/frame/channel_info.h"

namespace DataOmbraPlugin {

// Finds the line of `key` in the loaded channel: searches tailIndex, then sortedIndex, then scans
// the lines between the two samples around the key. On success `offset` is the line's offset, or
// MaxUIndex when the key is absent; `entryPosition` (when given) the 0-based position of the
// matching index entry, or -1 for a record found by the scan; `searchedSorted` 0 exactly when the
// key was found in tailIndex; for a present key `line` its current line, as ReadTextLine reads it
// at `offset`. Returns a read or position failure, or ErrMemoryFull when memory runs out (with
// offset MaxUIndex). A line that the scan between samples met is decoded from the bytes the scan
// read (one read of exactly the samples' span), without reading the file again.
[[nodiscard]] ZRErrCode FindRecordLine(ChannelInfo& info, const ZR::UniString& key, UInt32& offset,
                                       Int32* entryPosition, UInt8& searchedSorted,
                                       ZR::UniString& line);

// A record's line as it was found. A line that the scan between samples met and whose bytes are
// all ASCII is kept as those bytes (`InBytes()`), in the channel's scanBytes: byte i is then the
// line's character i in either encoding a data file has, so it reads exactly as its decoded text
// would. Any other line is decoded into `text`.
class RecordLine {
public:
    bool InBytes() const { return inBytes; }
    bool IsEmpty() const { return inBytes ? bytes.empty() : text.IsEmpty(); }
    // The line's bytes when InBytes(); valid until the channel's next lookup or its end.
    std::string_view Bytes() const { return bytes; }
    // The decoded line; empty when InBytes().
    ZR::UniString& Text() { return text; }

    // Takes the line as the bytes `lineBytes`.
    void TakeBytes(std::string_view lineBytes);

private:
    ZR::UniString text;
    std::string_view bytes;
    bool inBytes = false;
};

// Reads the line of `key` from the loaded channel into `line`; the line stays empty when the record
// is absent or deleted.
[[nodiscard]] ZRErrCode ReadRecordLine(ChannelInfo& info, const ZR::UniString& key,
                                       RecordLine& line);

}  // namespace DataOmbraPlugin
