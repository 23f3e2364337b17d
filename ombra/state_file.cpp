#include "ombra/state_file.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <system_error>

#include "host/filesystem.h"

namespace Ombra {
namespace {

namespace fs = std::filesystem;

constexpr const char* kStateFileName = "ombra/remembered-locations";

// A readable name for the file-system statuses a state file meets.
std::string StatusText(ZRErrCode status) {
    switch (status) {
        case IO::ErrAccessDenied:
            return "permission denied";
        case IO::ErrDiskFull:
            return "no space left";
        case IO::ErrNotAFile:
            return "it is a folder";
        case IO::ErrNotFound:
            return "a folder on its path does not exist";
        case ErrMemoryFull:
            return "out of memory";
        default:
            return "file-system status " + std::to_string(status);
    }
}

ZRErrCode ReadInto(IO::File& file, ZRHandle& block) {
    UInt64 length = 0;
    ZRErrCode status = file.GetDataLength(&length);
    if (status != NoError) return status;
    if (length > UInt64(INT32_MAX)) return ErrMemoryFull;
    block = BMAllocateHandle(Int32(length), 0, 0);
    if (block == nullptr) return ErrMemoryFull;
    status = length == 0 ? NoError : file.ReadExactly(*block, USize(length));
    if (status != NoError) BMKillHandle(&block);
    return status;
}

ZRErrCode WriteTemporary(const IO::Location& location, ZRHandle block) {
    std::unique_ptr<IO::File> file;
    ZRErrCode status = IO::File::New(file, location, IO::File::Create);
    if (status == NoError) status = file->Open(IO::File::WriteEmptyMode);
    if (status != NoError) return status;
    const Int32 size = BMGetHandleSize(block);
    if (size > 0) status = file->WriteBin(*block, USize(size));
    if (status == NoError) status = file->Sync();
    const ZRErrCode closed = file->Close();
    return status != NoError ? status : closed;
}

bool Fail(std::string& error, const std::string& what, const std::string& path,
          const std::string& reason) {
    error = "cannot " + what + " the state file '" + path + "': " + reason;
    return false;
}

}  // namespace

std::string DefaultStateFile() {
    const char* stateHome = std::getenv("XDG_STATE_HOME");
    if (stateHome != nullptr && stateHome[0] == '/') return fs::path(stateHome) / kStateFileName;
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') {
        return fs::path(home) / ".local/state" / kStateFileName;
    }
    return {};
}

bool ReadStateFile(const std::string& path, ZRHandle& block, std::string& error) {
    block = nullptr;
    std::unique_ptr<IO::File> file;
    ZRErrCode status = IO::File::New(file, IO::Location::FromPath(path), IO::File::Fail);
    if (status == IO::ErrNotFound) return true;
    if (status == NoError) status = file->Open(IO::File::ReadMode);
    if (status == NoError) status = ReadInto(*file, block);
    if (status != NoError) return Fail(error, "read", path, StatusText(status));
    return true;
}

bool WriteStateFile(const std::string& path, ZRHandle block, bool createFolders,
                    std::string& error) {
    std::error_code folderError;
    if (createFolders) fs::create_directories(fs::path(path).parent_path(), folderError);
    if (folderError) return Fail(error, "write", path, folderError.message());
    // The process id keeps two runs that end at once from writing the same temporary file.
    const IO::Location temporary =
        IO::Location::FromPath(path + "." + std::to_string(getpid()) + ".tmp");
    ZRErrCode status = WriteTemporary(temporary, block);
    const std::string name = fs::path(path).filename();
    if (status == NoError) {
        status = IO::fileSystem.Rename(temporary, IO::Name(ZR::UniString(name.c_str(), CC_UTF8)));
    }
    // The rename is durable only once the folder's entries are.
    if (status == NoError)
        status = IO::fileSystem.SyncFolder(IO::Location::FromPath(fs::path(path).parent_path()));
    if (status != NoError) {
        (void)IO::fileSystem.Delete(temporary);
        return Fail(error, "write", path, StatusText(status));
    }
    return true;
}

}  // namespace Ombra
