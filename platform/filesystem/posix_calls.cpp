// System calls of the file-system library, each behind its checkpoint.
#include "platform/filesystem/posix_calls.h"

#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <vector>

#include "platform/filesystem/checkpoint.h"

namespace IO::Posix {

namespace {

using FaultInjection::Checkpoint;
using FaultInjection::Op;
using FaultInjection::Verdict;

bool IsValidPath(const std::string& path) {
    return !path.empty() && path.find('\0') == std::string::npos;
}

// Runs `call` (a system call returning -1 and errno on failure) behind the checkpoint of `op`,
// again after every interruption, real or injected.
template <class Call>
ZRErrCode Guarded(Op op, const std::string& path, Call call) {
    for (;;) {
        const Verdict verdict = Checkpoint(op, path);
        int error = verdict.errorNumber;
        if (error == 0) {
            if (call() >= 0) return NoError;
            error = errno;
        }
        if (error != EINTR) return StatusFromErrno(error);
    }
}

// pwrite(2) until `count` bytes are written; 0 or the errno of the failure.
int WriteFully(int fd, const char* source, std::size_t count, UInt64 offset) {
    while (count > 0) {
        const ssize_t written = ::pwrite(fd, source, count, off_t(offset));
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) return errno;
        if (written == 0) return EIO;  // no progress and no reason: never loop forever
        source += written;
        count -= std::size_t(written);
        offset += UInt64(written);
    }
    return 0;
}

// Closes `fd` keeping the errno of an earlier failure.
void CloseKeepingErrno(int fd) {
    const int error = errno;
    ::close(fd);
    errno = error;
}

}  // namespace

ZRErrCode StatusFromErrno(int error) {
    switch (error) {
        case 0:
            return NoError;
        case ENOENT:
        case ENOTDIR:
            return ErrNotFound;
        case EISDIR:
            return ErrNotAFile;
        case EACCES:
        case EPERM:
        case EROFS:
            return ErrAccessDenied;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return ErrDiskFull;
        case ENOMEM:
            return ErrMemoryFull;
        case EEXIST:
        case ENOTEMPTY:
            return ErrExists;
        case ENAMETOOLONG:
        case ELOOP:
            return ErrBadName;
        case EBUSY:
        case ETXTBSY:
            return ErrBusy;
        default:
            return ErrIO;
    }
}

ZRErrCode PassCheckpoint(Op op, const std::string& path) {
    return StatusFromErrno(Checkpoint(op, path).errorNumber);
}

ZRErrCode LookUp(const std::string& path, struct stat* info) {
    if (!IsValidPath(path)) return ErrBadName;
    return Guarded(Op::New, path, [&] { return ::stat(path.c_str(), info); });
}

ZRErrCode OpenToLookAt(const std::string& path, int* fd, struct stat* info) {
    *fd = -1;
    if (!IsValidPath(path)) return ErrBadName;
    const ZRErrCode status = Guarded(Op::New, path, [&] {
        const int opened = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (opened < 0) return -1;
        if (::fstat(opened, info) != 0) {
            CloseKeepingErrno(opened);
            return -1;
        }
        *fd = opened;
        return 0;
    });
    // Any other failure to open (no read permission, no descriptor left) says nothing of what
    // the path names: the path's own status does, as it did before a descriptor was asked for.
    return status == NoError || status == ErrNotFound ? status : LookUp(path, info);
}

ZRErrCode TakeLookedAt(int fd, const std::string& path) {
    return Guarded(Op::Open, path, [&] { return fd; });
}

void ReleaseLookedAt(int fd) {
    ::close(fd);
}

bool Exists(const std::string& path) {
    struct stat info;
    return LookUp(path, &info) == NoError;
}

ZRErrCode CreateEmptyFile(const std::string& path) {
    if (!IsValidPath(path)) return ErrBadName;
    return Guarded(Op::Create, path, [&] {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
        return fd < 0 ? -1 : ::close(fd);
    });
}

ZRErrCode MakeFolder(const std::string& path) {
    if (!IsValidPath(path)) return ErrBadName;
    return Guarded(Op::Create, path, [&] { return ::mkdir(path.c_str(), 0777); });
}

ZRErrCode OpenFile(const std::string& path, int flags, int* fd) {
    *fd = -1;
    if (!IsValidPath(path)) return ErrBadName;
    return Guarded(Op::Open, path, [&] { return *fd = ::open(path.c_str(), flags | O_CLOEXEC); });
}

ZRErrCode ReadAt(int fd, const std::string& path, char* destination, std::size_t count,
                 UInt64 offset, std::size_t* got) {
    *got = 0;
    return Guarded(Op::Read, path, [&] {
        const ssize_t result = ::pread(fd, destination, count, off_t(offset));
        if (result > 0) *got = std::size_t(result);
        return result;
    });
}

ZRErrCode WriteAt(int fd, const std::string& path, const char* source, std::size_t count,
                  UInt64 offset) {
    for (;;) {
        const Verdict verdict = Checkpoint(Op::Write, path);
        const std::size_t allowed = verdict.Fails() ? std::min(verdict.bytesWritten, count) : count;
        int error = WriteFully(fd, source, allowed, offset);
        if (error == 0 && !verdict.Fails()) return NoError;
        if (error == 0) {
            error = verdict.errorNumber;
            source += allowed;
            count -= allowed;
            offset += allowed;
        }
        if (error != EINTR) return StatusFromErrno(error);
    }
}

ZRErrCode GetLength(int fd, const std::string& path, UInt64* length) {
    struct stat info;
    const ZRErrCode status = Guarded(Op::GetPosition, path, [&] { return ::fstat(fd, &info); });
    if (status == NoError) *length = UInt64(info.st_size);
    return status;
}

ZRErrCode GetStatus(int fd, const std::string& path, struct stat* info) {
    return Guarded(Op::Identity, path, [&] { return ::fstat(fd, info); });
}

ZRErrCode TruncateFile(int fd, const std::string& path, UInt64 length) {
    return Guarded(Op::Truncate, path, [&] { return ::ftruncate(fd, off_t(length)); });
}

ZRErrCode SyncFile(int fd, const std::string& path) {
    return Guarded(Op::Sync, path, [&] { return ::fsync(fd); });
}

ZRErrCode StartWriteBack(int fd, const std::string& path, UInt64 offset, UInt64 count) {
    return Guarded(Op::WriteBack, path, [&] {
        return ::sync_file_range(fd, off64_t(offset), off64_t(count), SYNC_FILE_RANGE_WRITE);
    });
}

ZRErrCode CloseFile(int fd, const std::string& path) {
    const Verdict verdict = Checkpoint(Op::Close, path);
    const int result = ::close(fd);
    if (verdict.Fails()) return StatusFromErrno(verdict.errorNumber);
    return result == 0 || errno == EINTR ? NoError : StatusFromErrno(errno);
}

ZRErrCode RemoveFile(const std::string& path) {
    if (!IsValidPath(path)) return ErrBadName;
    return Guarded(Op::Delete, path, [&] { return ::unlink(path.c_str()); });
}

ZRErrCode RenameFile(const std::string& from, const std::string& to) {
    if (!IsValidPath(from) || !IsValidPath(to)) return ErrBadName;
    return Guarded(Op::Rename, from, [&] { return ::rename(from.c_str(), to.c_str()); });
}

ZRErrCode SyncFolder(const std::string& path) {
    if (!IsValidPath(path)) return ErrBadName;
    return Guarded(Op::Sync, path, [&] {
        const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) return -1;
        const int result = ::fsync(fd);
        CloseKeepingErrno(fd);
        return result;
    });
}

ZRErrCode GetCurrentFolder(std::string* path) {
    std::vector<char> buffer(PATH_MAX);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) return StatusFromErrno(errno);
        buffer.resize(buffer.size() * 2);
    }
    path->assign(buffer.data());
    return NoError;
}

ZRErrCode CopyAccessRights(const std::string& from, const std::string& to) {
    if (!IsValidPath(from) || !IsValidPath(to)) return ErrBadName;
    struct stat info;
    if (::stat(from.c_str(), &info) != 0) return StatusFromErrno(errno);
    // The owner first: changing it may clear the set-user and set-group bits, which the bits below
    // restore. Only a privileged process may give a file away; any member may give its groups.
    if (::chown(to.c_str(), info.st_uid, info.st_gid) != 0)
        (void)::chown(to.c_str(), uid_t(-1), info.st_gid);
    if (::chmod(to.c_str(), info.st_mode & 07777) == 0) return NoError;
    return StatusFromErrno(errno);
}

ZRErrCode SetAttribute(const std::string& path, const char* name, const void* value,
                       std::size_t size) {
    if (!IsValidPath(path)) return ErrBadName;
    if (::setxattr(path.c_str(), name, value, size, 0) == 0) return NoError;
    return StatusFromErrno(errno);
}

}  // namespace IO::Posix
