// A file's life: opening, positions, syncing and closing.
#include <fcntl.h>

#include <algorithm>
#include <limits>
#include <new>
#include <utility>

#include "platform/filesystem/file_impl.h"
#include "platform/filesystem/posix_calls.h"

namespace IO {

using FaultInjection::Op;

namespace {

// open(2) flags of a mode, or -1 for a mode that does not exist.
int FlagsOf(Int32 openMode) {
    switch (openMode) {
        case File::ReadMode:
            return O_RDONLY;
        case File::WriteEmptyMode:
            return O_WRONLY | O_TRUNC;
        case File::ReadWriteMode:
            return O_RDWR;
        default:
            return -1;
    }
}

}  // namespace

FileImpl::FileImpl(const Location& location, std::string path, int lookedAt)
    : location(location), path(std::move(path)), lookedAt(lookedAt) {}

FileImpl::~FileImpl() {
    if (IsOpen()) (void)Close();  // the module closes explicitly; nobody is left to tell
    if (lookedAt >= 0) Posix::ReleaseLookedAt(lookedAt);
}

// The descriptor of `openMode`: the one New opened for reading when it serves, otherwise a new
// one. The descriptor New opened serves only the first Open: a later one opens the path again,
// which may name another file by then (a save renames its new text over the old).
ZRErrCode FileImpl::OpenDescriptor(Int32 openMode, int flags, int& newFd) {
    const int taken = std::exchange(lookedAt, -1);
    if (taken >= 0 && openMode == File::ReadMode) {
        const ZRErrCode status = Posix::TakeLookedAt(taken, path);
        if (status == NoError) {
            newFd = taken;
            return NoError;
        }
        Posix::ReleaseLookedAt(taken);
        return status;
    }
    if (taken >= 0) Posix::ReleaseLookedAt(taken);
    return Posix::OpenFile(path, flags, &newFd);
}

ZRErrCode FileImpl::Open(Int32 openMode) {
    if (IsOpen()) return ErrBusy;
    const int flags = FlagsOf(openMode);
    if (flags < 0) return ErrParam;
    int newFd = -1;
    const ZRErrCode status = OpenDescriptor(openMode, flags, newFd);
    if (status != NoError) return status;
    fd = newFd;
    mode = openMode;
    EmptyBuffer(0);
    passStart = 0;
    inputStatus = NoError;
    outputStatus = NoError;
    writeBackStart = writeBackEnd = 0;
    return NoError;
}

ZRErrCode FileImpl::Close() {
    if (!IsOpen()) return ErrNotOpen;
    const ZRErrCode flushStatus = Flush();
    const ZRErrCode closeStatus = Posix::CloseFile(fd, path);
    fd = -1;
    EmptyBuffer(0);
    return flushStatus != NoError ? flushStatus : closeStatus;
}

ZRErrCode FileImpl::SetPosition(Int32 position) {
    if (!IsOpen()) return ErrNotOpen;
    if (position < 0) return ErrPosition;
    ZRErrCode status = Posix::PassCheckpoint(Op::SetPosition, path);
    if (status == NoError) status = WritePending();
    if (status != NoError) return status;
    inputStatus = NoError;
    const UInt64 target = UInt64(position);
    if (use == Use::Reading && target >= bufferOffset && target <= bufferOffset + filled) {
        readPosition = std::size_t(target - bufferOffset);  // the buffered bytes stay usable
        return NoError;
    }
    if (target != Position()) passStart = target;
    EmptyBuffer(target);
    readSize = SeekReadSize;
    justPositioned = true;
    return NoError;
}

ZRErrCode FileImpl::GetPosition(UInt32* position) const {
    if (!IsOpen()) return ErrNotOpen;
    if (position == nullptr) return ErrParam;
    const ZRErrCode status = Posix::PassCheckpoint(Op::GetPosition, path);
    if (status != NoError) return status;
    const UInt64 current = Position();
    if (current > std::numeric_limits<UInt32>::max()) return ErrPosition;
    *position = UInt32(current);
    return NoError;
}

ZRErrCode FileImpl::GetLength(UInt64* length) const {
    if (!IsOpen()) return ErrNotOpen;
    if (length == nullptr) return ErrParam;
    UInt64 onDisk = 0;
    const ZRErrCode status = Posix::GetLength(fd, path, &onDisk);
    if (status != NoError) return status;
    const UInt64 pendingEnd = use == Use::Writing ? bufferOffset + filled : 0;
    *length = std::max(onDisk, pendingEnd);
    return NoError;
}

// The output status is not looked at: cutting off what a failed write left is the reason to call.
ZRErrCode FileImpl::Truncate(UInt64 length) {
    if (!IsOpen()) return ErrNotOpen;
    if (mode == File::ReadMode) return ErrAccessDenied;
    (void)WritePending();     // a failure sticks as the output status; the cut still applies
    EmptyBuffer(Position());  // read-ahead may hold bytes that are gone
    return Posix::TruncateFile(fd, path, length);
}

ZRErrCode FileImpl::Sync() {
    const ZRErrCode status = Flush();
    if (status != NoError) return status;
    return Posix::SyncFile(fd, path);
}

// Stored as eight bytes, type then creator, each in the order of its four characters. Failure
// (a file system without user attributes) is ignored: the codes are only a courtesy to tools.
void FileImpl::SetTypeAndCreator(UInt32 type, UInt32 creator) const {
    unsigned char value[8];
    for (int i = 0; i < 4; ++i) {
        value[i] = static_cast<unsigned char>(type >> (24 - 8 * i));
        value[4 + i] = static_cast<unsigned char>(creator >> (24 - 8 * i));
    }
    (void)Posix::SetAttribute(path, "user.ombra.type", value, sizeof value);
}

}  // namespace IO
