#include "extension/entry/open.h"

#include "extension/entry/entry_call.h"
#include "extension/frame/channel_table.h"
#include "extension/open/location.h"
#include "extension/open/parameters.h"
#include "extension/open/write_lock.h"
#include "host/utility.h"

namespace DataOmbraPlugin {
namespace {

// What making the file object left: the object (null when there is none), the status of the
// last IO::File::New, and whether that call created the file.
struct MadeFile {
    std::unique_ptr<IO::File> file;
    ZRErrCode status = NoError;
    bool created = false;
};

// The text flags that the channel starts with.
struct TextFlags {
    bool utf8 = false;
    bool bomPending = false;
    bool markUnread = false;
};

// What the script asked to open.
struct OpenRequest {
    const ZR::UniString& fileName;
    const ZR::UniString& parameters;
    ZRHandle* fileInfoHandle;
};

// Read-only: the file must exist, here or else, for a relative name, in the data folder
// (`location` then moves there). The module's interface rebuilt an absolute path inside the data
// folder, so that a missing /srv/x/q.txt silently opened <base>/<data folder>/srv/x/q.txt; a
// missing absolute path is not found. Writing modes: a missing file is created.
MadeFile MakeFileObject(IO::Location& location, Int32 mode, const ZR::UniString& reducedName,
                        StringFetcherProc messageFetcher) {
    MadeFile made;
    made.status = IO::File::New(made.file, location, IO::File::Fail);
    if (made.file != nullptr) return made;
    if (mode == ModeReadOnly) {
        if (IO::Location(reducedName).IsAbsolute()) return made;
        location = DataFolderLocation(reducedName, messageFetcher);
        made.status = IO::File::New(made.file, location, IO::File::Fail);
    } else if (made.status == IO::ErrNotFound) {
        // Only a file known to be missing counts as created: a lookup that failed otherwise (an
        // I/O error) may hide an existing file, whose text the pending mark would overwrite.
        made.status = IO::File::New(made.file, location, IO::File::Create);
        made.created = made.file != nullptr;
    }
    return made;
}

// A created file is UTF-8 with its byte-order mark still to be written; an existing one is UTF-8
// when it begins with the mark. A reader reads the mark at its first load
// (ChannelInfo::markUnread). WO's emptying removes the mark, so the file is checked before it by
// location and the mark is written again; WA checks the file once it is open for reading, reading
// only the mark's bytes.
TextFlags DecideTextFlags(const MadeFile& made, const IO::Location& location, Int32 mode) {
    if (made.created) return {true, true, false};
    if (mode == ModeReadOnly) return {false, false, true};
    if (mode == ModeWriteAppend) return {IOUtil::CheckTextFileUTF8(*made.file), false, false};
    const bool utf8 = IOUtil::CheckTextFileUTF8(location);
    return {utf8, utf8, false};
}

ZRErrCode EmptyFile(IO::File& file) {
    ZRErrCode status = file.Open(IO::File::WriteEmptyMode, IO::File::DefaultAccess);
    if (status == NoError) status = file.Close();
    return status;
}

// The steps once the file exists: a writer's lock (taken before WO empties the file, so a second
// writer cannot empty it under the first), the text flags, WO's emptying, the open for reading
// and the claim of the channel.
Int16 ClaimFoundFile(const EntryCall& call, UInt32 channel, MadeFile& made,
                     const IO::Location& location, const OpenSettings& settings) {
    WriteLockTaken lock;
    const ZRErrCode locked = TakeWriteLock(call.Channel(), location, settings.mode, lock);
    if (locked == ErrMemoryFull) return call.Fail(ErrorMemoryFull);
    if (locked != NoError) return call.Fail(ErrorOpen);
    const bool empties = settings.mode == ModeWriteEmpty;
    TextFlags flags;
    if (empties) flags = DecideTextFlags(made, location, settings.mode);
    // A WO file that could not be emptied cannot be used as the mode says, like a file that
    // cannot be opened.
    if (empties && EmptyFile(*made.file) != NoError) return call.Fail(ErrorOpen);
    if (made.file->Open(IO::File::ReadMode, IO::File::DefaultAccess) != NoError)
        return call.Fail(ErrorOpen);
    if (!empties) flags = DecideTextFlags(made, location, settings.mode);
    ChannelInfo& record =
        ClaimChannel(channel, call.Channel(), made.file, settings, flags.utf8, flags.bomPending);
    record.markUnread = flags.markUnread ? 1 : 0;
    HandWriteLock(record, lock);
    return NoError;
}

// OPEN's steps in the order of their checks. Reports name the file as the script wrote it until
// it is found at `location`, and by that location afterwards.
Int16 Open(EntryCall& call, UInt32 channel, const OpenRequest& request, IO::Location& location) {
    if (!call.CanReport()) return StatusReportedError;
    if (request.parameters.IsEmpty()) return call.Fail(ErrorOpen);
    OpenSettings settings;
    bool dialog = false;
    bool library = false;
    ParseOpenParameters(request.parameters, &settings, &dialog, &library, request.fileName,
                        call.Fetcher());

    const ZR::UniString reducedName = ReduceBackslashes(request.fileName);
    const ErrorNumber error = ResolveFileLocation(reducedName, dialog, library, settings.mode,
                                                  request.fileInfoHandle, location);
    if (error != NoError) return call.Fail(error);

    MadeFile made = MakeFileObject(location, settings.mode, reducedName, call.Fetcher());
    if (made.status == ErrMemoryFull) return call.Fail(ErrorMemoryFull);
    if (made.file == nullptr || made.status != NoError) return call.Fail(ErrorFileNotFound);
    call.NameFile(location);
    return ClaimFoundFile(call, channel, made, location, settings);
}

}  // namespace

Int16 OpenDataChannel(UInt32 channel, const ZR::UniString& fileName,
                      const ZR::UniString& parameters, ZRHandle* fileInfoHandle) {
    // An exception is reported as memory exhaustion when it is one, otherwise as ErrorOpen. The
    // file object made by OPEN, if any, has been closed and released on the way; the channel
    // table is unchanged (ClaimChannel changes nothing when it raises).
    EntryCall call(channel, ErrorOpen);
    call.NameFile(fileName);
    IO::Location location;
    const OpenRequest request{fileName, parameters, fileInfoHandle};
    return call.Run([&] { return Open(call, channel, request, location); });
}

}  // namespace DataOmbraPlugin
