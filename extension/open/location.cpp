#include "extension/open/location.h"

#include <new>
#include <string>
#include <utility>
#include <vector>

#include "extension/frame/host_services.h"
#include "extension/frame/report_error.h"
#include "extension/open/dialogs.h"
#include "extension/open/file_info.h"

namespace DataOmbraPlugin {
namespace {

constexpr Int16 DataFolderNameIndex = 2;

// Appends the name components of `path` to `location`, first to last.
ZRErrCode AppendComponents(IO::Location& location, IO::Location path) {
    std::vector<IO::Name> components;
    IO::Name component;
    while (path.GetLocalLength() > 0) {
        if (ZRErrCode status = path.GetLastLocalName(&component); status != NoError) return status;
        components.push_back(component);
        if (ZRErrCode status = path.DeleteLastLocalName(); status != NoError) return status;
    }
    for (auto it = components.rbegin(); it != components.rend(); ++it)
        if (ZRErrCode status = location.AppendToLocal(*it); status != NoError) return status;
    return NoError;
}

IO::Location BaseFolder() {
    IO::Location base;
    // The host always knows its base folder; an empty location stands for it as well.
    IO::fileSystem.GetSpecialLocation(IO::BaseFolderId, &base);
    return base;
}

// A plain (relative, one-component) name lies in the base folder; any other name is a path.
ErrorNumber LocateByPath(const ZR::UniString& name, IO::Location& location) {
    IO::Location parsed(name);
    if (parsed.IsAbsolute() || parsed.GetLocalLength() != 1) {
        location = std::move(parsed);
        return NoError;
    }
    IO::Location inBase = BaseFolder();
    if (AppendComponents(inBase, parsed) != NoError) return ErrorFileNotFound;
    location = inBase;
    return NoError;
}

ErrorNumber LocateInLibrary(const ZR::UniString& name, IO::Location& location) {
    IO::Location found;
    if (LibraryFileToLocation(name, found) != 0 && FindLibraryFileByHost(name, found) != 0)
        return ErrorNotInLibrary;
    location = found;
    return NoError;
}

bool FileIsThere(const IO::Location& location) {
    std::unique_ptr<IO::File> file;
    return IO::File::New(file, location, IO::File::Fail) == NoError;
}

// LocateByDialog once the handle variable is known to be there.
ErrorNumber LocateByRememberedChoice(ZRHandle& handle, const ZR::UniString& name, Int32 mode,
                                     IO::Location& location) {
    if (handle == nullptr) {
        ZRHandle block = BMAllocateHandle(0, 0, 0);
        if (block == nullptr || BMError() != NoError) return ErrorMemoryFull;
        handle = block;
    }
    FileInfoList list = ReadFileInfoList(handle);
    IO::Location remembered;
    if (FindFileInfo(list, name, remembered) && FileIsThere(remembered)) {
        location = remembered;
        return NoError;
    }
    IO::Location chosen;
    if (!AskForFile(name, mode, chosen)) return ErrorFileNotFound;
    SetFileInfo(list, name, chosen);
    // The file is known now; a failed write loses only the memory of the choice, so the next
    // OPEN of the name asks again. The block then keeps its old content.
    (void)WriteFileInfoList(list, handle);
    location = chosen;
    return NoError;
}

}  // namespace

ZR::UniString ReduceBackslashes(const ZR::UniString& name) {
    const std::u16string& units = name.Get();
    // Most names hold no pair: they are copied whole, without a pass of single appends.
    if (units.find(u"\\\\") == std::u16string::npos) return name;
    std::u16string reduced;
    reduced.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        reduced.push_back(units[i]);
        if (units[i] == u'\\' && i + 1 < units.size() && units[i + 1] == u'\\') ++i;
    }
    return ZR::UniString(std::move(reduced));
}

ErrorNumber ResolveFileLocation(const ZR::UniString& name, bool dialog, bool library, Int32 mode,
                                ZRHandle* fileInfoHandle, IO::Location& location) {
    if (dialog) return LocateByDialog(fileInfoHandle, name, mode, location);
    if (library) return LocateInLibrary(name, location);
    return LocateByPath(name, location);
}

ErrorNumber LocateByDialog(ZRHandle* fileInfoHandle, const ZR::UniString& name, Int32 mode,
                           IO::Location& location) {
    if (fileInfoHandle == nullptr) return ErrorOpen;
    return LocateByRememberedChoice(*fileInfoHandle, name, mode, location);
}

IO::Location DataFolderLocation(const ZR::UniString& name, StringFetcherProc messageFetcher) {
    char buffer[256] = {};
    if (messageFetcher != nullptr) {
        messageFetcher(buffer, FrameList, DataFolderNameIndex, GetResourceModule());
        buffer[sizeof buffer - 1] = '\0';
    }
    ZR::UniString folderName(buffer, CC_Default);
    IO::Location location = BaseFolder();
    if (!folderName.IsEmpty()) {
        IO::Name folder(folderName);
        // An existing data folder is what is wanted; one that cannot be made shows when the file
        // is opened there, so neither outcome is an error here.
        (void)IO::Folder(location).CreateFolder(folder);
        if (location.AppendToLocal(folder) != NoError) return IO::Location();
    }
    // A location that names no file (the base folder) when a component cannot be appended.
    if (AppendComponents(location, IO::Location(name)) != NoError) return IO::Location();
    return location;
}

}  // namespace DataOmbraPlugin
