// The file-system library's only contact with the operating system. Each call first passes the
// checkpoint of its kind (see fault_injection.h), retries EINTR itself, and turns a failure into
// a status with StatusFromErrno. A path holding a NUL byte cannot name a file: ErrBadName.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <string>

#include "host/filesystem.h"
#include "platform/filesystem/fault_injection.h"

namespace IO::Posix {

// The one mapping from errno values to the library's statuses.
ZRErrCode StatusFromErrno(int error);

// Passes the checkpoint of an operation that needs no system call (positions inside a file).
ZRErrCode PassCheckpoint(FaultInjection::Op op, const std::string& path);

// stat(2) of `path` (New). On failure `info` is unspecified.
ZRErrCode LookUp(const std::string& path, struct stat* info);
// Looks at the file `path` names by opening it for reading (New): `fd` gets the descriptor and
// `info` its fstat(2). The one open serves both the lookup and a first Open for reading, which so
// needs no second walk of the path. The open does not block (a FIFO would wait for a writer) and
// takes no controlling terminal. When the open fails for another reason than a missing file (no
// read permission, no descriptor left), the path is looked up by stat(2) instead (`fd` -1). On
// failure `fd` is -1 and `info` unspecified.
ZRErrCode OpenToLookAt(const std::string& path, int* fd, struct stat* info);
// Passes the checkpoint of an Open that takes the descriptor `fd` of OpenToLookAt instead of
// opening the path (Open): an injected failure fails that Open as it would fail open(2).
ZRErrCode TakeLookedAt(int fd, const std::string& path);
// Closes a descriptor of OpenToLookAt that no Open took; no checkpoint (it was only looked at).
void ReleaseLookedAt(int fd);
// True when `path` names anything (New); an injected failure reads as absent.
bool Exists(const std::string& path);
// Creates an empty file unless one exists; an existing file is left as it is (Create).
ZRErrCode CreateEmptyFile(const std::string& path);
// mkdir(2) (Create).
ZRErrCode MakeFolder(const std::string& path);

// open(2) with `flags` and O_CLOEXEC (Open). `fd` is -1 on failure.
ZRErrCode OpenFile(const std::string& path, int flags, int* fd);
// One pread(2) of up to `count` bytes at `offset` (Read). `got` is 0 at the end of the file and on
// failure.
ZRErrCode ReadAt(int fd, const std::string& path, char* destination, std::size_t count,
                 UInt64 offset, std::size_t* got);
// Writes all `count` bytes at `offset`, continuing after short writes (Write). On failure an
// unknown prefix of the bytes may have reached the file.
ZRErrCode WriteAt(int fd, const std::string& path, const char* source, std::size_t count,
                  UInt64 offset);
// The file's size on disk (GetPosition).
ZRErrCode GetLength(int fd, const std::string& path, UInt64* length);
// fstat(2) of an open file (Identity). On failure `info` is unspecified.
ZRErrCode GetStatus(int fd, const std::string& path, struct stat* info);
// ftruncate(2) to `length` bytes (Truncate).
ZRErrCode TruncateFile(int fd, const std::string& path, UInt64 length);
// fsync(2) (Sync).
ZRErrCode SyncFile(int fd, const std::string& path);
// Asks the system to start writing `count` bytes at `offset` to the disk without waiting for
// them (sync_file_range(2) with SYNC_FILE_RANGE_WRITE; WriteBack). It makes nothing durable: only
// SyncFile does; it lets a later SyncFile wait for less.
ZRErrCode StartWriteBack(int fd, const std::string& path, UInt64 offset, UInt64 count);
// close(2) (Close). The descriptor is released even when a failure is returned; EINTR is not
// retried, since the descriptor is gone by then.
ZRErrCode CloseFile(int fd, const std::string& path);

// unlink(2) (Delete).
ZRErrCode RemoveFile(const std::string& path);
// rename(2) (Rename): an existing `to` is replaced atomically.
ZRErrCode RenameFile(const std::string& from, const std::string& to);
// Opens the folder and fsyncs it, making its entries durable (Sync).
ZRErrCode SyncFolder(const std::string& path);

// Gives `to` the permission bits of `from` (chmod) and its owner and group where the process may
// (chown, then the group alone; a refusal is not a failure). No checkpoint: it changes no bytes
// and no name, so neither the fault sweeps nor the power-loss model have anything to take back.
ZRErrCode CopyAccessRights(const std::string& from, const std::string& to);
// The process's current folder (getcwd); no checkpoint.
ZRErrCode GetCurrentFolder(std::string* path);
// Stores an extended attribute on `path`; no checkpoint (callers ignore the outcome).
ZRErrCode SetAttribute(const std::string& path, const char* name, const void* value,
                       std::size_t size);

}  // namespace IO::Posix
