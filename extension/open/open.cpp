#include "extension/open/open.h"

#include <new>

#include "extension/frame/channel_table.h"
#include "extension/frame/host_services.h"
#include "extension/frame/report_error.h"
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
};

// Reports `error` about `file`: the name as the script wrote it (a text, shown whole) until the
// file has been found, its location afterwards.
template <typename NamedFile>
Int16 Fail(Int32 error, const NamedFile& file, StringFetcherProc messageFetcher) {
    ReportError(error, file, messageFetcher);
    return StatusReportedError;
}

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
// when it begins with the mark. WO's emptying removes the mark, so the file is checked before it
// by location and the mark is written again; any other mode checks the file once it is open for
// reading, reading only the mark's bytes.
TextFlags DecideTextFlags(const MadeFile& made, const IO::Location& location, Int32 mode) {
    if (made.created) return {true, true};
    if (mode != ModeWriteEmpty) return {IOUtil::CheckTextFileUTF8(*made.file), false};
    const bool utf8 = IOUtil::CheckTextFileUTF8(location);
    return {utf8, utf8};
}

ZRErrCode EmptyFile(IO::File& file) {
    ZRErrCode status = file.Open(IO::File::WriteEmptyMode, IO::File::DefaultAccess);
    if (status == NoError) status = file.Close();
    return status;
}

// The steps once the file exists: a writer's lock (taken before WO empties the file, so a second
// writer cannot empty it under the first), the text flags, WO's emptying, the open for reading
// and the claim of the channel.
Int16 ClaimFoundFile(UInt32 channel, MadeFile& made, const IO::Location& location,
                     const OpenSettings& settings, StringFetcherProc messageFetcher) {
    WriteLockTaken lock;
    const ZRErrCode locked = TakeWriteLock(channel, location, settings.mode, lock);
    if (locked == ErrMemoryFull) return Fail(ErrorMemoryFull, location, messageFetcher);
    if (locked != NoError) return Fail(ErrorOpen, location, messageFetcher);
    const bool empties = settings.mode == ModeWriteEmpty;
    TextFlags flags;
    if (empties) flags = DecideTextFlags(made, location, settings.mode);
    // A WO file that could not be emptied cannot be used as the mode says, like a file that
    // cannot be opened.
    if (empties && EmptyFile(*made.file) != NoError)
        return Fail(ErrorOpen, location, messageFetcher);
    if (made.file->Open(IO::File::ReadMode, IO::File::DefaultAccess) != NoError)
        return Fail(ErrorOpen, location, messageFetcher);
    if (!empties) flags = DecideTextFlags(made, location, settings.mode);
    ClaimChannel(channel, made.file, settings, flags.utf8, flags.bomPending);
    HandWriteLock(channel, lock);
    return NoError;
}

// The steps after the parameter string was found not empty; `errorName` becomes the resolved
// file's name when an exception leaves the steps after the file was found.
Int16 OpenResolvedChannel(UInt32 channel, const ZR::UniString& fileName,
                          const ZR::UniString& parameters, ZRHandle* fileInfoHandle,
                          ZR::UniString& errorName, StringFetcherProc messageFetcher) {
    OpenSettings settings;
    bool dialog = false;
    bool library = false;
    ParseOpenParameters(parameters, &settings, &dialog, &library, errorName, messageFetcher);

    ZR::UniString reducedName = ReduceBackslashes(fileName);
    IO::Location location;
    ZRErrCode error =
        ResolveFileLocation(reducedName, dialog, library, settings.mode, fileInfoHandle, location);
    if (error != NoError) return Fail(error, errorName, messageFetcher);

    MadeFile made = MakeFileObject(location, settings.mode, reducedName, messageFetcher);
    if (made.status == ErrMemoryFull) return Fail(ErrorMemoryFull, errorName, messageFetcher);
    if (made.file == nullptr || made.status != NoError)
        return Fail(ErrorFileNotFound, errorName, messageFetcher);
    try {
        return ClaimFoundFile(channel, made, location, settings, messageFetcher);
    } catch (...) {
        // Messages name the found file from here on; its shown name is made only for one.
        errorName = ShownFileName(location);
        throw;
    }
}

// Reports the exception in flight: memory exhaustion as ErrorMemoryFull, anything else as
// ErrorOpen. A channel table that cannot grow (BMOutOfMemoryException) is memory exhaustion too:
// the user is told what really happened. Never throws.
Int16 ReportException(const ZR::UniString& errorName, StringFetcherProc messageFetcher) noexcept {
    Int32 error = ErrorOpen;
    try {
        throw;
    } catch (const ZR::OutOfMemoryException&) {
        error = ErrorMemoryFull;
    } catch (const ZR::BMOutOfMemoryException&) {
        error = ErrorMemoryFull;
    } catch (const std::bad_alloc&) {
        error = ErrorMemoryFull;
    } catch (...) {
    }
    try {
        return Fail(error, errorName, messageFetcher);
    } catch (...) {
        return StatusReportedError;
    }
}

}  // namespace

Int16 OpenDataChannel(UInt32 channel, const ZR::UniString& fileName,
                      const ZR::UniString& parameters, ZRHandle* fileInfoHandle) {
    // The messages name the file as the script wrote it, whole, until the file has been found.
    ZR::UniString errorName;
    StringFetcherProc messageFetcher = nullptr;
    try {
        // The fetcher first: a name that cannot be copied for want of memory is then reported.
        InterpreterServiceRecord record{};
        GetServiceRecord(record);
        messageFetcher = record.messageStringFetcher;
        if (messageFetcher == nullptr) return StatusReportedError;
        errorName = fileName;
        if (parameters.IsEmpty()) return Fail(ErrorOpen, errorName, messageFetcher);
        return OpenResolvedChannel(channel, fileName, parameters, fileInfoHandle, errorName,
                                   messageFetcher);
    } catch (...) {
        // The file object made by OPEN, if any, has been closed and released on the way here;
        // the channel table is unchanged (ClaimChannel changes nothing when it throws).
        return ReportException(errorName, messageFetcher);
    }
}

}  // namespace DataOmbraPlugin
