#include "extension/write/output.h"

#include <climits>
#include <cstdio>
#include <exception>

#include "extension/frame/channel_table.h"
#include "extension/frame/host_services.h"
#include "extension/frame/report_error.h"
#include "extension/store/lookup.h"
#include "extension/write/record_text.h"
#include "extension/write/save.h"
#include "extension/write/update.h"
#include "extension/write/write_text_line.h"

namespace DataOmbraPlugin {
namespace {

// OUTPUT compacts the file when tailIndex holds this many entries, end entry included.
constexpr Int32 CompactionEntries = 1024;

// Writes the byte-order mark that a new UTF-8 file still lacks. `bomPending` stays set when the
// mark did not reach the file, and no line is written without it (StoreRecord): a UTF-8 file
// without its mark would be read back in the default code page.
void WritePendingMark(ChannelInfo& info) {
    IO::File& file = *info.file;
    if (file.IsOpen()) file.Close();  // nothing is pending: every write was flushed
    GSErrCode status = file.Open(IO::File::ReadWriteMode);
    if (status == NoError) status = WriteByteOrderMark(file);
    if (status == NoError) status = file.Flush();
    if (status == NoError) {
        info.bomPending = 0;
        return;
    }
    // The file held nothing before the mark: part of a mark must not stay in it, or the file
    // would read as one line in the default code page.
    file.Close();
    if (file.Open(IO::File::WriteEmptyMode) == NoError) file.Close();
}

// Reads the field number as "%d" does: leading blanks and a sign allowed, anything after the
// digits ignored; false when no number can be read. It is read as a long and clamped, so that a
// number beyond 32 bits keeps its sign: a huge field number must not become a deletion.
bool ParseFieldNumber(const ZR::UniString& fieldId, Int32& number) {
    const ZR::CStr text = fieldId.ToCStr(CC_Default, 0);
    long value = 0;
    if (std::sscanf(text.Get(), "%ld", &value) != 1) return false;
    number = value > INT32_MAX ? INT32_MAX : (value < INT32_MIN ? INT32_MIN : Int32(value));
    return true;
}

// Closes the file and opens it for reading and writing, as before every write, even when it is
// open read-write already: the reopen also clears the status that a failed write leaves sticking
// in the file object, and the file object cannot tell its mode (the cost is measured by
// bench/write_bench.cpp).
GSErrCode ReopenForWriting(IO::File& file) {
    if (file.IsOpen()) file.Close();  // its status is not looked at: nothing is pending
    return file.Open(IO::File::ReadWriteMode);
}

// Writes a pending byte-order mark, then builds the indexes if needed; false when they cannot be
// built. A failed compaction may have left the file closed: it is opened for the load.
bool LoadForWriting(ChannelInfo& info, UInt32 channel) {
    if (info.bomPending) WritePendingMark(info);
    if (!info.file->IsOpen()) ReopenForWriting(*info.file);
    return EnsureChannelLoaded(channel);
}

// Applies the record and compacts the file when tailIndex is full. Failures here are not the
// script's concern: OUTPUT went through as far as it came and the file holds every change made.
void StoreRecord(ChannelInfo& info, UInt32 channel, const ZR::UniString& key,
                 const ZR::UniString& recordText) {
    try {
        if (info.bomPending || ReopenForWriting(*info.file) != NoError) return;
        if (UpdateRecord(info, key, recordText) != NoError) return;
        if (CountChannelTailEntries(channel) < CompactionEntries) return;
        if (SaveDataFile(info) != NoError || UnloadChannel(channel) != NoError) return;
        // A failure to open shows at the next use, whose load needs the file.
        info.file->Open(IO::File::ReadMode);
    } catch (const std::exception&) {
    }
}

// OUTPUT's steps in the order of their checks; may raise only where the host's strings do.
Int16 Output(UInt32 channel, const ZR::UniString& recordId, const ZR::UniString& fieldId,
             const ZR::Array<OmbraValueRecord>* values, const ZR::Array<ZR::UniString>* strings) {
    IO::File* file = nullptr;
    OpenSettings settings;
    GetChannelFile(channel, &file, &settings);
    InterpreterServiceRecord services{};
    GetServiceRecord(services);
    const StringFetcherProc fetcher = services.messageStringFetcher;
    if (fetcher == nullptr) return StatusReportedError;
    if (file == nullptr || settings.mode == ModeReadOnly) {
        ReportError(ErrorWritePermission, IO::Location(), fetcher);
        return StatusReportedError;
    }
    IO::Location location;
    file->GetLocation(&location);  // an unknown location only leaves messages without a name
    ChannelInfo& info = *FindChannelRecord(channel);
    if (!LoadForWriting(info, channel)) {
        ReportError(ErrorWritePermission, location, fetcher);
        return StatusReportedError;
    }
    Int32 fieldNumber = 0;
    if (!ParseFieldNumber(fieldId, fieldNumber)) return StatusBadFieldId;
    // A field number of 0 or below asks for the deletion: an empty record text.
    ZR::UniString recordText;
    if (fieldNumber >= 1) {
        const GSErrCode status =
            MakeRecordText(recordId, settings.separator, values, strings, recordText);
        // Nothing is written for a record that cannot be made; the old one stays. A string value
        // without its text is the interpreter's inconsistency, not the script's: not reported.
        if (status == ErrMemoryFull) ReportError(ErrorMemoryFull, location, fetcher);
        if (status != NoError) return StatusReportedError;
    }
    StoreRecord(info, channel, recordId, recordText);
    return NoError;
}

}  // namespace

Int16 OutputToChannel(UInt32 channel, const ZR::UniString& recordId, const ZR::UniString& fieldId,
                      const ZR::Array<OmbraValueRecord>* values,
                      const ZR::Array<ZR::UniString>* strings) {
    try {
        return Output(channel, recordId, fieldId, values, strings);
    } catch (const std::exception&) {
        return StatusReportedError;  // no exception crosses the module boundary
    }
}

}  // namespace DataOmbraPlugin
