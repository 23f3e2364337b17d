#include "extension/entry/output.h"

#include "extension/entry/entry_call.h"
#include "extension/store/data_file.h"
#include "extension/store/loading.h"
#include "extension/write/record_text.h"
#include "extension/write/save.h"
#include "extension/write/update.h"
#include "extension/write/write_text_line.h"

namespace DataOmbraPlugin {
namespace {

// What the script asked to store.
struct OutputRequest {
    const ZR::UniString& recordId;
    const ZR::UniString& fieldId;
    const ZR::Array<OmbraValueRecord>* values;
    const ZR::Array<ZR::UniString>* strings;
};

// Closes the file and opens it for reading and writing, as before every write, even when it is
// open read-write already: the reopen also clears the status that a failed write leaves sticking
// in the file object, and the file object cannot tell its mode (the cost is measured by
// bench/write_bench.cpp).
ZRErrCode ReopenForWriting(IO::File& file) {
    if (file.IsOpen()) (void)file.Close();  // nothing is pending: its status tells nothing
    return file.Open(IO::File::ReadWriteMode);
}

// Opens the file for reading again after OUTPUT could not write to it: INPUT goes on working on
// a file that cannot be written (the module's interface left it closed, so that every later INPUT
// failed). A failure here shows at the next use, as that use's error.
void KeepReadable(IO::File& file) {
    if (file.IsOpen()) (void)file.Close();  // a failed write's status is of no use any more
    (void)file.Open(IO::File::ReadMode);
}

// Writes a pending byte-order mark, then builds the indexes if needed; false when they cannot be
// built. A failed compaction may have left the file closed: it is opened for the load, for
// reading when it cannot be opened for writing.
bool LoadForWriting(ChannelInfo& info) {
    if (info.bomPending) WritePendingMark(info);
    if (!info.file->IsOpen() && ReopenForWriting(*info.file) != NoError) KeepReadable(*info.file);
    EnsureLoaded(info);
    return info.loaded != 0;
}

// Compacts the file when tailIndex is full: the save rewrites it in key order and the next use
// loads it afresh. Its failures are not the script's concern: the data file holds every record
// either way, and CLOSE tries the save again.
void CompactWhenFull(ChannelInfo& info) {
    EnsureLoaded(info);  // a record stored without its index entry left the index dropped
    if (info.tailIndex.GetSize() < CompactionEntries) return;
    if (SaveDataFile(info) != NoError) return;
    info.DropContent();
    (void)info.file->Open(IO::File::ReadMode);  // a failure shows at the next use, which loads
}

// Applies the record, then compacts. Returns 0 once the record is in the file, otherwise the
// failure that kept it out: the file could not be opened for writing (no write permission), a
// write failed (a full disk, a file-size limit, an I/O error; a torn line is cut back), the line
// would end beyond the offsets an index can hold, or the mark of a new UTF-8 file is still
// missing (no line is written without it: the file would be read in the default code page).
ZRErrCode StoreRecord(ChannelInfo& info, const ZR::UniString& key,
                      const ZR::UniString& recordText) {
    if (info.bomPending) return IO::ErrIO;
    ZRErrCode status = ReopenForWriting(*info.file);
    if (status == NoError) status = UpdateRecord(info, key, recordText);
    if (status != NoError) return status;
    CompactWhenFull(info);
    return NoError;
}

// OUTPUT's steps in the order of their checks.
Int16 Output(const EntryCall& call, const OutputRequest& request) {
    if (!call.CanReport()) return StatusReportedError;
    ChannelInfo* info = call.Channel();
    // The module's interface names no file here, also for an open read-only channel.
    if (info == nullptr || info->openMode == ModeReadOnly)
        return call.FailUnnamed(ErrorWritePermission);
    if (!LoadForWriting(*info)) return call.Fail(ErrorWritePermission);
    Int32 fieldNumber = 0;
    if (!ReadFieldNumber(request.fieldId, fieldNumber)) return StatusBadFieldId;
    // A field number of 0 or below asks for the deletion: an empty record text.
    ZR::UniString recordText;
    if (fieldNumber >= 1) {
        const ZRErrCode status = MakeRecordText(request.recordId, info->separator, request.values,
                                                request.strings, recordText);
        // Nothing is written for a record that cannot be made; the old one stays. A string value
        // without its text is the interpreter's inconsistency, not the script's: not reported.
        if (status == ErrMemoryFull) return call.Fail(ErrorMemoryFull);
        if (status != NoError) return StatusReportedError;
    }
    // A record that did not reach the file is reported, where the module's interface stays
    // silent and the script would go on as if it were stored. The file keeps the records it had.
    const ZRErrCode status = StoreRecord(*info, request.recordId, recordText);
    if (status == NoError) return NoError;
    KeepReadable(*info->file);
    return call.Fail(status == ErrMemoryFull ? ErrorMemoryFull : ErrorWritePermission);
}

}  // namespace

Int16 OutputToChannel(UInt32 channel, const ZR::UniString& recordId, const ZR::UniString& fieldId,
                      const ZR::Array<OmbraValueRecord>* values,
                      const ZR::Array<ZR::UniString>* strings) {
    EntryCall call(channel, 0);  // an exception, raised only where strings grow, reports nothing
    const OutputRequest request{recordId, fieldId, values, strings};
    return call.Run([&] { return Output(call, request); });
}

}  // namespace DataOmbraPlugin
