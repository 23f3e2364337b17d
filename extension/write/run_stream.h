// The leading run of a data file as a save reads it: whole blocks of lines copied unchanged where
// no record of the tail falls between them, single lines elsewhere. Internal to the writing
// subsystem.
#pragma once

#include <string>
#include <string_view>

#include "extension/frame/channel_info.h"
#include "extension/store/line_scan.h"
#include "extension/write/write_text_line.h"

namespace DataOmbraPlugin {

// Reads the leading run of the loaded channel's file from the data start up to the end entry of
// sortedIndex. Holds at most one pending line. Nothing else may use `info.file` while it reads.
//
// Lines leave as bytes, never decoded and encoded again: both encodings decode losslessly, so the
// bytes are exactly what decoding and encoding would give. A line is written with one carriage
// return after it; lines that give no record (empty lines, deletion lines) are passed over.
class RunStream {
public:
    explicit RunStream(ChannelInfo& info);

    // Sets the file's position to the run's start; the first call.
    [[nodiscard]] ZRErrCode Start();

    bool HasMore() const { return pending || offset < end; }
    bool Pending() const { return pending; }
    void Drop() { pending = false; }

    // Where the lines of the run that surely sort before `key` end: at the last sample below it,
    // or at the run's start when there is none.
    UInt32 CopyLimitBelow(std::u16string_view key) const;
    // Where the run ends.
    UInt32 End() const { return end; }
    // With no line pending: copies into `temp` the whole lines of the run before `limit` (from
    // CopyLimitBelow or End). Lines that a save would change (line ends with LF, deletion lines)
    // and a line longer than the file's buffer are left to Fill.
    [[nodiscard]] ZRErrCode CopyBlockBelow(UInt32 limit, LineWriter& temp);
    // Reads lines until one gives a record or the run ends.
    [[nodiscard]] ZRErrCode Fill();
    // Compares the pending line's key with `key` in the order of the index (code units).
    Int32 CompareKey(std::u16string_view key) const;
    // Writes the pending line and its carriage return.
    [[nodiscard]] ZRErrCode WriteLine(LineWriter& temp) const;

private:
    [[nodiscard]] ZRErrCode ReadLine();
    size_t UnchangedPrefix(const char* data, size_t count) const;

    ChannelInfo& info;
    LineCursor cursor;                 // synced after each line: the file's position is `offset`
    UInt32 offset;                     // where the next line of the run starts
    UInt32 end;                        // where the run ends
    const std::string deletionMarker;  // the marker's bytes, without the separator
    ZR::UniString text;                // the pending line
    std::string bytes;                 // its bytes and the carriage return
    USize keyLength = 0;               // its key is its first keyLength code units
    bool pending = false;
};

}  // namespace DataOmbraPlugin
