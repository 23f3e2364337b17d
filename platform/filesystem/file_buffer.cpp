// The buffer of a file: reading through it, writing into it, handing written bytes to the
// operating system. Written bytes are handed over before any read, so a read sees them.
#include <algorithm>
#include <cstring>

#include "platform/filesystem/file_impl.h"
#include "platform/filesystem/posix_calls.h"

namespace IO {

UInt64 FileImpl::Position() const {
    switch (use) {
        case Use::Reading:
            return bufferOffset + readPosition;
        case Use::Writing:
            return bufferOffset + filled;
        case Use::None:
            break;
    }
    return bufferOffset;
}

void FileImpl::EmptyBuffer(UInt64 offset) {
    justPositioned = false;
    use = Use::None;
    bufferOffset = offset;
    readPosition = 0;
    filled = 0;
}

ZRErrCode FileImpl::NoteInput(ZRErrCode status) {
    if (inputStatus == NoError) inputStatus = status;
    return status;
}

ZRErrCode FileImpl::NoteOutput(ZRErrCode status) {
    if (outputStatus == NoError) outputStatus = status;
    return status;
}

// Starts the write-back of the sequential stretch that `count` bytes at `offset` extend, once it
// holds WriteBackStep bytes. Only a hint: a failure changes nothing the writer relies on, since
// durability still rests on Sync alone.
void FileImpl::NoteHandedOver(UInt64 offset, std::size_t count) {
    if (offset != writeBackEnd) writeBackStart = offset;
    writeBackEnd = offset + count;
    if (writeBackEnd - writeBackStart < WriteBackStep) return;
    (void)Posix::StartWriteBack(fd, path, writeBackStart, writeBackEnd - writeBackStart);
    writeBackStart = writeBackEnd;
}

// With the buffer empty: gives the pass the larger buffer once it has gone LongPassBytes.
void FileImpl::GrowBufferForLongPass() {
    if (capacity >= LongPassBufferSize || Position() - passStart < LongPassBytes) return;
    char* const larger = new (std::nothrow) char[LongPassBufferSize];
    if (larger == nullptr) return;  // the small buffer serves
    buffer.reset(larger);
    capacity = LongPassBufferSize;
}

ZRErrCode FileImpl::WritePending() {
    if (use != Use::Writing) return NoError;
    const ZRErrCode status = Posix::WriteAt(fd, path, buffer.get(), filled, bufferOffset);
    if (status == NoError) NoteHandedOver(bufferOffset, filled);
    // The bytes are gone either way: on failure the position still moves past them, and the
    // sticky status tells every later writer that the file lacks them.
    EmptyBuffer(bufferOffset + filled);
    return status == NoError ? NoError : NoteOutput(status);
}

ZRErrCode FileImpl::Flush() {
    if (!IsOpen()) return ErrNotOpen;
    const ZRErrCode status = WritePending();
    return status != NoError ? status : outputStatus;
}

// The buffer is made at its first use: a file read only in single direct reads (a lookup's lines)
// or written in whole blocks never needs one.
ZRErrCode FileImpl::HaveBuffer() {
    if (!buffer) buffer.reset(new (std::nothrow) char[capacity]);
    return buffer ? NoError : ErrMemoryFull;
}

// Reads the next block at the position. A failure to hand over pending writes does not stop the
// read: it sticks as the output status, and the read sees what the file holds.
ZRErrCode FileImpl::Refill() {
    (void)WritePending();
    EmptyBuffer(Position());
    if (const ZRErrCode status = HaveBuffer(); status != NoError) return status;
    GrowBufferForLongPass();
    std::size_t got = 0;
    const ZRErrCode status = Posix::ReadAt(fd, path, buffer.get(), readSize, bufferOffset, &got);
    if (status != NoError) return status;
    readSize = std::min(readSize * 2, capacity);
    if (got == 0) return ErrEndOfFile;
    use = Use::Reading;
    filled = got;
    return NoError;
}

ZRErrCode FileImpl::Peek(const char** data, USize* available) {
    if (!IsOpen()) return ErrNotOpen;
    if (data == nullptr || available == nullptr) return ErrParam;
    if (mode == File::WriteEmptyMode) return NoteInput(ErrAccessDenied);
    if (use != Use::Reading || readPosition == filled) {
        const ZRErrCode status = Refill();
        if (status != NoError) return NoteInput(status);
    }
    *data = buffer.get() + readPosition;
    *available = USize(filled - readPosition);
    return NoError;
}

void FileImpl::Advance(USize count) {
    if (use != Use::Reading) return;
    readPosition += std::min<std::size_t>(count, filled - readPosition);
}

// The first read after a seek: one read of exactly `count` bytes into `destination`, nothing
// buffered. `done` receives the bytes read; fewer than `count` only at the end of the file, where
// the caller's loop meets the end as usual.
ZRErrCode FileImpl::ReadDirect(char* destination, USize count, USize& done) {
    std::size_t got = 0;
    const ZRErrCode status = Posix::ReadAt(fd, path, destination, count, bufferOffset, &got);
    if (status != NoError) return NoteInput(status);
    EmptyBuffer(bufferOffset + got);
    done = USize(got);
    return NoError;
}

ZRErrCode FileImpl::Read(char* destination, USize count, USize* read) {
    if (read != nullptr) *read = 0;
    if (!IsOpen()) return ErrNotOpen;
    if (count > 0 && destination == nullptr) return ErrParam;
    USize done = 0;
    if (justPositioned && use == Use::None && count > 0 && mode != File::WriteEmptyMode) {
        const ZRErrCode status = ReadDirect(destination, count, done);
        if (status != NoError) return status;
        if (read != nullptr) *read = done;
    }
    while (done < count) {
        const char* data = nullptr;
        USize available = 0;
        const ZRErrCode status = Peek(&data, &available);
        if (status == ErrEndOfFile && done > 0) break;
        if (status != NoError) return status;
        const USize step = std::min(available, count - done);
        std::memcpy(destination + done, data, step);
        Advance(step);
        done += step;
        if (read != nullptr) *read = done;
    }
    return NoError;
}

ZRErrCode FileImpl::WriteThrough(const char* source, USize count) {
    const ZRErrCode status = Posix::WriteAt(fd, path, source, count, bufferOffset);
    if (status == NoError) NoteHandedOver(bufferOffset, count);
    EmptyBuffer(bufferOffset + count);
    return status == NoError ? NoError : NoteOutput(status);
}

ZRErrCode FileImpl::Write(const char* source, USize count) {
    if (!IsOpen()) return ErrNotOpen;
    if (outputStatus != NoError) return outputStatus;
    if (count == 0) return NoError;
    if (source == nullptr) return NoteOutput(ErrParam);
    if (mode == File::ReadMode) return NoteOutput(ErrAccessDenied);
    if (use == Use::Reading) EmptyBuffer(Position());  // read-ahead is stale once we write
    if (use == Use::None && count >= capacity) return WriteThrough(source, count);
    if (const ZRErrCode status = HaveBuffer(); status != NoError) return NoteOutput(status);
    use = Use::Writing;
    while (count > 0) {
        if (filled == capacity) {
            const ZRErrCode status = WritePending();
            if (status != NoError) return status;
            GrowBufferForLongPass();
            use = Use::Writing;
        }
        const std::size_t step = std::min<std::size_t>(count, capacity - filled);
        std::memcpy(buffer.get() + filled, source, step);
        filled += step;
        source += step;
        count -= USize(step);
    }
    return NoError;
}

}  // namespace IO
