#include "extension/write/save.h"

#include <exception>
#include <memory>

#include "extension/store/loading.h"
#include "extension/write/save_merge.h"
#include "extension/write/write_text_line.h"
#include "host/environment.h"

// How a save keeps every record, whatever fails and whenever the process dies:
// - The new text goes to the temporary file, which is emptied when opened. A temporary file that
//   a crash left behind is ignored (nothing reads it) and emptied by the next save: its bytes
//   never reach the data file.
// - The temporary file is synced and closed, then renamed over the data file. The rename
//   replaces the old file atomically, so the data file's name holds the complete old text or the
//   complete new text at every instant; the data file is never deleted first. The folder is
//   synced afterwards so that the new name survives a crash.
// - The rename makes a new file of the data file: it is given the data file's permission bits,
//   owner and group (as far as the process may), while other hard links of the data file keep
//   the old text.
// - Every failure before the rename leaves the data file unchanged byte for byte, keeps
//   `modified` set (the next CLOSE tries again) and removes the temporary file (best effort).
namespace DataOmbraPlugin {
namespace {

// The files of one save.
struct SaveFiles {
    IO::Location dataLocation;
    IO::Name dataName;
    IO::Location tempLocation;  // the data file's name with ".tmp" appended, in the same folder
    std::unique_ptr<IO::File> temp;
};

ZRErrCode KeepFirst(ZRErrCode first, ZRErrCode next) {
    return first != NoError ? first : next;
}

ZRErrCode CloseIfOpen(IO::File& file) {
    return file.IsOpen() ? file.Close() : NoError;
}

ZRErrCode LocateFiles(const ChannelInfo& info, SaveFiles& files) {
    ZRErrCode status = info.file->GetLocation(&files.dataLocation);
    if (status == NoError) status = files.dataLocation.GetLastLocalName(&files.dataName);
    if (status != NoError) return status;
    ZR::UniString tempName = files.dataName.GetText();
    tempName.Append(ZR::UniString(".tmp"));
    files.tempLocation = files.dataLocation;
    return files.tempLocation.SetLastLocalName(IO::Name(tempName));
}

// A second reader of the data file for the lines of tailIndex, so that the leading run is read
// in one sequential pass.
ZRErrCode OpenTailReader(const SaveFiles& files, std::unique_ptr<IO::File>& reader) {
    ZRErrCode status = IO::File::New(reader, files.dataLocation, IO::File::Fail);
    if (status == NoError) status = reader->Open(IO::File::ReadMode);
    return status;
}

// Writes the new text into the temporary file and makes it durable. Every file is closed
// afterwards, the data file included; the first failure is returned.
ZRErrCode WriteTempFile(ChannelInfo& info, SaveFiles& files) {
    IO::File& data = *info.file;
    IO::File& temp = *files.temp;
    std::unique_ptr<IO::File> tailReader;
    // Every write of an OUTPUT was flushed when it returned, so closing loses nothing; the status
    // of an earlier failed write, which sticks in the file object until it is closed, must not
    // stop the save that drops what that write left behind the indexed end of the file.
    (void)CloseIfOpen(data);
    ZRErrCode status = data.Open(IO::File::ReadMode);
    if (status == NoError) status = OpenTailReader(files, tailReader);
    if (status == NoError) status = temp.Open(IO::File::WriteEmptyMode);
    if (status == NoError && info.utf8) status = WriteByteOrderMark(temp);
    if (status == NoError) status = MergeLines(info, *tailReader, temp);
    if (status == NoError) {
        // A file-system without the attribute keeps the file untyped; the text is all that counts.
        temp.SetTypeAndCreator(FourCharCode("TEXT"), FourCharCode("ZROM"));
        status = temp.Sync();
    }
    status = KeepFirst(status, CloseIfOpen(temp));
    if (tailReader != nullptr) status = KeepFirst(status, CloseIfOpen(*tailReader));
    return KeepFirst(status, CloseIfOpen(data));
}

// Makes the rename in the folder of `file` durable, as far as it can. The save stands even when
// the folder cannot be synced, for want of memory included: after a crash the name holds the old
// text or the new one, and either holds every record. Never throws, because the save has taken
// place and the channel must learn so.
void SyncFolderOf(const IO::Location& file) noexcept {
    try {
        IO::Location folder = file;
        if (folder.DeleteLastLocalName() == NoError) (void)IO::fileSystem.SyncFolder(folder);
    } catch (...) {
    }
}

ZRErrCode ReplaceDataFile(const SaveFiles& files) {
    const ZRErrCode status = IO::fileSystem.Rename(files.tempLocation, files.dataName);
    if (status != NoError) return status;
    SyncFolderOf(files.dataLocation);
    return NoError;
}

// The save's steps; `saved` tells whether the new text took the data file's place.
ZRErrCode SaveContent(ChannelInfo& info, bool& saved) {
    EnsureLoaded(info);
    if (!info.loaded) return StatusLoadFailed;
    SaveFiles files;
    ZRErrCode status = LocateFiles(info, files);
    if (status != NoError) return status;
    // Without a temporary file nothing is written and the save counts as done (status 0); the
    // data file stays open as it was and `modified` stays set.
    if (IO::File::New(files.temp, files.tempLocation, IO::File::Create) != NoError) return NoError;
    // The new file takes the data file's permissions before it holds any text (where the module's
    // interface left it the process's defaults, so that a 0600 file came back 0644), and its owner
    // and group where the process may set them. A save that cannot give the bits fails: the data
    // file stays as it is.
    status = IO::fileSystem.CopyAccessRights(files.dataLocation, files.tempLocation);
    if (status == NoError) status = WriteTempFile(info, files);
    // A writer's lock is taken on the new text before it takes the name, so that no other
    // writer can lock the file the name refers to in between; it moves only when the save stands.
    IO::FileLock newLock;
    if (status == NoError && info.writeLock.IsHeld()) status = newLock.Acquire(files.tempLocation);
    if (status == NoError) status = ReplaceDataFile(files);
    if (status == NoError && newLock.IsHeld()) info.writeLock = std::move(newLock);
    if (status == NoError) {
        saved = true;
        return NoError;
    }
    files.temp.reset();
    IO::fileSystem.Delete(files.tempLocation);  // best effort: a leftover is emptied next time
    return status;
}

}  // namespace

ZRErrCode SaveDataFile(ChannelInfo& info) {
    if (info.file == nullptr) return ErrParam;
    // Loading clears `modified`; only a save that took place may leave it cleared.
    const UInt8 modified = info.modified;
    bool saved = false;
    ZRErrCode status = NoError;
    try {
        status = SaveContent(info, saved);
    } catch (const std::exception&) {
        status = ErrMemoryFull;
    }
    info.modified = saved ? 0 : modified;
    if (saved) info.bomPending = 0;
    return status;
}

}  // namespace DataOmbraPlugin
