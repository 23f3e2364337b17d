// The file system service, folders and the base folder.
#include <sys/stat.h>

#include <algorithm>
#include <mutex>
#include <string_view>

#include "host/filesystem.h"
#include "platform/filesystem/base_folder.h"
#include "platform/filesystem/memory_guard.h"
#include "platform/filesystem/posix_calls.h"

namespace IO {

FileSystem fileSystem;

namespace {

// The base folder: set by the host, or the current folder at first use. `path` is the
// operating-system form of `location`.
struct BaseFolder {
    std::mutex mutex;
    bool known = false;
    Location location;
    std::string path;
};

BaseFolder& GetBaseFolder() {
    static BaseFolder base;
    return base;
}

// The location of an operating-system path: components split at "/" only, each decoded from
// lossless UTF-8, so the location's path gives back the same bytes.
Location LocationFromPath(std::string_view path) {
    Location location(ZR::UniString(path.starts_with('/') ? u"/" : u""));
    while (!path.empty()) {
        const std::size_t end = std::min(path.find('/'), path.size());
        if (end > 0) {
            const ZR::UniString text(path.data(), USize(end), CC_UTF8);
            (void)location.AppendToLocal(Name(text));  // cannot fail: non-empty, no "/"
        }
        path.remove_prefix(std::min(end + 1, path.size()));
    }
    return location;
}

// Takes the current folder when no base folder is known yet. Requires base.mutex held.
ZRErrCode EnsureBaseFolder(BaseFolder& base) {
    if (base.known) return NoError;
    std::string path;
    const ZRErrCode status = Posix::GetCurrentFolder(&path);
    if (status != NoError) return status;
    base.location = LocationFromPath(path);
    base.path = std::move(path);
    base.known = true;
    return NoError;
}

}  // namespace

std::string BaseFolderPath() {
    BaseFolder& base = GetBaseFolder();
    std::lock_guard lock(base.mutex);
    const ZRErrCode status = CatchMemoryFull([&] { return EnsureBaseFolder(base); });
    return status == NoError ? base.path : std::string();
}

ZRErrCode FileSystem::GetSpecialLocation(Int32 id, Location* location) const {
    if (id != BaseFolderId || location == nullptr) return ErrParam;
    BaseFolder& base = GetBaseFolder();
    std::lock_guard lock(base.mutex);
    return CatchMemoryFull([&] {
        const ZRErrCode status = EnsureBaseFolder(base);
        if (status == NoError) *location = base.location;
        return status;
    });
}

// A relative folder is resolved against the base folder in force, so the setting is absolute
// whenever a base folder is known.
void FileSystem::SetBaseFolder(const Location& folder) {
    (void)CatchMemoryFull([&] {
        std::string path = folder.ToPath();
        Location resolved = folder.IsAbsolute() ? folder : LocationFromPath(path);
        BaseFolder& base = GetBaseFolder();
        std::lock_guard lock(base.mutex);
        base.location = std::move(resolved);
        base.path = std::move(path);
        base.known = true;
        return NoError;
    });
}

ZRErrCode FileSystem::Delete(const Location& location, Int32 /*dataSafety*/,
                             Int32 /*accessDenied*/) {
    return CatchMemoryFull([&] { return Posix::RemoveFile(location.ToPath()); });
}

ZRErrCode FileSystem::Rename(const Location& location, const Name& newName,
                             Int32 /*accessDenied*/) {
    return CatchMemoryFull([&] {
        Location target = location;
        const ZRErrCode status = target.SetLastLocalName(newName);
        if (status != NoError) return status;
        return Posix::RenameFile(location.ToPath(), target.ToPath());
    });
}

ZRErrCode FileSystem::CopyAccessRights(const Location& from, const Location& to) {
    return CatchMemoryFull([&] { return Posix::CopyAccessRights(from.ToPath(), to.ToPath()); });
}

ZRErrCode FileSystem::SyncFolder(const Location& folder) {
    return CatchMemoryFull([&] { return Posix::SyncFolder(folder.ToPath()); });
}

bool FileSystem::Exists(const Location& location) const {
    bool exists = false;
    (void)CatchMemoryFull([&] {
        exists = Posix::Exists(location.ToPath());
        return NoError;
    });
    return exists;
}

Folder::Folder(const Location& location) : location(location), status(NoError) {
    status = CatchMemoryFull([&] {
        struct stat info;
        const ZRErrCode found = Posix::LookUp(location.ToPath(), &info);
        if (found != NoError) return found;
        return S_ISDIR(info.st_mode) ? NoError : ErrNotAFolder;
    });
}

ZRErrCode Folder::CreateFolder(const Name& name) {
    if (status != NoError) return status;
    return CatchMemoryFull([&] {
        Location child = location;
        const ZRErrCode appended = child.AppendToLocal(name);
        if (appended != NoError) return appended;
        return Posix::MakeFolder(child.ToPath());
    });
}

}  // namespace IO
