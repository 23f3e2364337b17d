// IO::FileLock: an flock on a descriptor that only the lock uses; the lock's token is that
// descriptor. flock belongs to the open file description, so a second descriptor of the same
// file, in this process or another, is refused, and closing the file's other descriptors (IO::File
// reopens its file often) leaves it held. Other holders of any flock on the file are kept out too;
// fcntl record locks are a separate kind and are not seen.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <utility>

#include "host/filesystem.h"
#include "platform/filesystem/memory_guard.h"
#include "platform/filesystem/posix_calls.h"

namespace IO {

namespace {

// How often a lock is taken again when the name was given to another file meanwhile (a save
// renamed its new text over it). Each round is a rename that happened during the last one.
constexpr int ReplacedNameRetries = 8;

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

void CloseDescriptor(int fd) {
    if (fd >= 0) ::close(fd);
}

// Opens `path` for the lock alone: read only, so a file without write permission can be locked
// too (writing it is refused later, where it happens).
ZRErrCode OpenForLock(const std::string& path, int* fd) {
    do {
        *fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    } while (*fd < 0 && errno == EINTR);
    if (*fd < 0) return Posix::StatusFromErrno(errno);
    struct stat info;
    if (::fstat(*fd, &info) == 0 && S_ISREG(info.st_mode)) return NoError;
    CloseDescriptor(*fd);
    *fd = -1;
    return ErrNotAFile;
}

ZRErrCode LockDescriptor(int fd) {
    int result;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result == 0) return NoError;
    return errno == EWOULDBLOCK ? ErrLocked : Posix::StatusFromErrno(errno);
}

// True when `fd` is the file that `path` names now.
bool NamesDescriptor(const std::string& path, int fd) {
    struct stat named;
    struct stat locked;
    return ::stat(path.c_str(), &named) == 0 && ::fstat(fd, &locked) == 0 &&
           SameFile(named, locked);
}

// Locks the file `path` names. Between the open and the lock the name may have been given to a
// new file whose holder locked it before the rename; the lock then sits on a file that nobody
// can reach by its name any more, so it is dropped and the new file is tried.
ZRErrCode LockNamedFile(const std::string& path, int* fd) {
    for (int attempt = 0; attempt < ReplacedNameRetries; ++attempt) {
        ZRErrCode status = OpenForLock(path, fd);
        if (status == NoError) status = LockDescriptor(*fd);
        if (status == NoError && NamesDescriptor(path, *fd)) return NoError;
        CloseDescriptor(*fd);
        *fd = -1;
        if (status != NoError) return status;
    }
    return ErrLocked;
}

}  // namespace

FileLock::~FileLock() {
    Release();
}

FileLock::FileLock(FileLock&& other) noexcept : held(std::exchange(other.held, -1)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        Release();
        held = std::exchange(other.held, -1);
    }
    return *this;
}

ZRErrCode FileLock::Acquire(const Location& location) {
    return CatchMemoryFull([&] {
        const std::string path = location.ToPath();
        if (path.find('\0') != std::string::npos) return ErrBadName;
        if (held >= 0 && NamesDescriptor(path, held)) return NoError;
        int taken = -1;
        const ZRErrCode status = LockNamedFile(path, &taken);
        if (status != NoError) return status;
        Release();
        held = taken;
        return NoError;
    });
}

bool FileLock::Covers(const Location& location) const {
    if (held < 0) return false;
    const ZRErrCode status = CatchMemoryFull(
        [&] { return NamesDescriptor(location.ToPath(), held) ? NoError : ErrNotFound; });
    return status == NoError;
}

void FileLock::Release() {
    CloseDescriptor(held);
    held = -1;
}

}  // namespace IO
