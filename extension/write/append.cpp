#include "extension/write/append.h"

#include <exception>
#include <string>
#include <string_view>

#include "extension/write/update.h"
#include "extension/write/write_text_line.h"
#include "host/environment.h"

namespace DataOmbraPlugin {
namespace {

// Moves the end of the file that the indexes know to `end` when a write reached beyond it: the
// end entry of tailIndex, and that of sortedIndex when the leading run reached the end of the
// file. Only a last line that had no line end (a file the module did not write) grows this way,
// by the carriage return it gains.
void ExtendIndexedEnd(ChannelInfo& info, UInt32 end) {
    RecInfoRec& tailEnd = info.tailIndex.GetLast();
    if (end <= tailEnd.filePos) return;
    RecInfoRec& runEnd = info.sortedIndex.GetLast();
    if (runEnd.filePos == tailEnd.filePos) runEnd.filePos = end;
    tailEnd.filePos = end;
}

// Writes `bytes` at `offset` and hands them to the operating system: once OUTPUT returns, a
// killed process loses nothing. `written` receives the byte count (0 on failure).
ZRErrCode WriteBytesAt(ChannelInfo& info, UInt32 offset, std::string_view bytes, UInt32& written) {
    written = 0;
    ZRErrCode status = info.file->SetDataPosition(Int32(offset));
    if (status == NoError) status = info.file->WriteBin(bytes.data(), USize(bytes.size()));
    if (status == NoError) status = info.file->Flush();
    if (status == NoError) written = UInt32(bytes.size());
    return status;
}

// Sets `end` to the offset where an appended line goes. A last line without a line end first
// gets a carriage return, so that the appended line does not continue it. The last byte is read
// only while the channel does not know it: after the first append it does.
ZRErrCode EndLastLine(ChannelInfo& info, UInt32& end) {
    end = info.tailIndex.GetLast().filePos;
    if (end <= info.DataStart() || info.endsWithLineEnd) return NoError;
    char last = 0;
    ZRErrCode status = info.file->SetDataPosition(Int32(end - 1));
    if (status == NoError) status = info.file->ReadBin(&last, 1);
    if (status != NoError || last == '\r' || last == '\n') return status;
    UInt32 written = 0;
    status = WriteBytesAt(info, end, "\r", written);
    if (status != NoError) return status;
    ExtendIndexedEnd(info, end + written);
    end += written;
    return NoError;
}

// A failed write may have left the start of the line behind the end the indexes know (a short
// write on a full disk). No such torn line may outlive the failure: a load would read it as a
// record, since a last line without a line end is a line. It is cut off at once; should the cut
// fail too, `modified` makes the next save, which copies indexed lines only, drop it (a crash
// before that save is then the one case that still finds it).
void TakeBackTornLine(ChannelInfo& info, UInt32 end) {
    if (info.file->Truncate(end) != NoError) info.modified = 1;
}

// Points tailIndex at the line of `key` just appended at `offset`: the entry found in tailIndex
// is replaced; otherwise a new entry is inserted, reusing the key of a sortedIndex entry.
ZRErrCode IndexAppendedLine(ChannelInfo& info, const ZR::UniString& key, const RecordPlace& place,
                            UInt32 offset) {
    try {
        RecInfoRec entry{0, offset, &info.recordKeys};
        const USize position = USize(place.entryPosition) + 1;
        if (place.InTail()) {
            entry.keyIndex = info.tailIndex[position].keyIndex;
            info.tailIndex[position] = entry;
            return NoError;
        }
        if (place.HasEntry()) {
            entry.keyIndex = info.sortedIndex[position].keyIndex;
        } else {
            info.recordKeys.Push(key);
            entry.keyIndex = info.recordKeys.GetSize();
        }
        return InsertTailEntry(info, entry);
    } catch (const std::exception&) {
        return ErrMemoryFull;
    }
}

}  // namespace

ZRErrCode OverwriteInPlace(ChannelInfo& info, UInt32 offset, std::string_view bytes) {
    UInt32 written = 0;
    const ZRErrCode status = WriteBytesAt(info, offset, bytes, written);
    if (status == NoError) ExtendIndexedEnd(info, offset + written);
    return status;
}

ZRErrCode AppendRecord(ChannelInfo& info, const ZR::UniString& key, const RecordPlace& place,
                       ZR::UniString line) {
    UInt32 offset = 0;
    ZRErrCode status = EndLastLine(info, offset);
    if (status != NoError) return status;
    line.Append(LineEnd);
    std::string bytes;
    status = EncodeLine(info, line, bytes);
    if (status != NoError) return status;
    UInt32 lineStart = offset;
    if (WouldPutMarkAtStart(info, offset, bytes)) {
        bytes.insert(bytes.begin(), '\r');
        ++lineStart;
    }
    // Every offset an index holds must fit in 31 bits: a line that would end beyond is refused.
    if (bytes.size() > MaxFileOffset - offset) return IO::ErrPosition;
    UInt32 written = 0;
    status = WriteBytesAt(info, offset, bytes, written);
    if (status != NoError) {
        TakeBackTornLine(info, offset);
        return status;
    }
    info.tailIndex.GetLast().filePos = offset + written;
    info.endsWithLineEnd = 1;
    if (IndexAppendedLine(info, key, place, lineStart) != NoError) {
        // The line is in the file but not in the index: a save now would drop it. Dropping the
        // index instead makes the next use load the file, appended line included; the record is
        // stored.
        info.DropContent();
        return NoError;
    }
    info.modified = 1;
    return NoError;
}

}  // namespace DataOmbraPlugin
