// The state behind an IO::File: the descriptor, the one buffer shared by reading and writing, and
// the sticky statuses. Not thread-safe: one thread uses a file object at a time.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "host/filesystem.h"

namespace IO {

// Bytes in a file's buffer when it is first opened. A sequential pass makes one read call per
// this many bytes.
constexpr std::size_t FileBufferSize = 64 * 1024;
// A pass that has read or written LongPassBytes in one sequential stretch goes on with a buffer
// of LongPassBufferSize: a whole-file pass (a load, a save) makes a quarter of the system calls,
// while a file used for a few lines keeps the small buffer. The larger buffer stays with the file
// object; when it cannot be had, the small one serves.
constexpr UInt64 LongPassBytes = 1024 * 1024;
constexpr std::size_t LongPassBufferSize = 256 * 1024;
// The first refill after a position is set outside the buffer asks for this many bytes; each
// following refill asks for twice as many, up to the buffer's size. A random access that reads a
// line or two so costs a small read, not a whole buffer. A caller that knows how many bytes it
// wants says so with ReadBin: the first read after such a position takes exactly those bytes
// straight into the caller's memory.
constexpr std::size_t SeekReadSize = 4 * 1024;
// Each time a file has been handed this many more bytes in one sequential stretch, their
// write-back to the disk is started, so that the disk writes while the writer produces the rest
// and a Sync at the end waits only for the last of them.
constexpr UInt64 WriteBackStep = 1024 * 1024;

struct FileImpl {
public:
    // `path` is the operating-system path of `location`, fixed when the object is made.
    // `lookedAt` (or -1) is a descriptor of the file open for reading, which the first Open for
    // reading takes instead of opening the path again.
    FileImpl(const Location& location, std::string path, int lookedAt);
    ~FileImpl();  // closes the file, ignoring failures
    FileImpl(const FileImpl&) = delete;
    FileImpl& operator=(const FileImpl&) = delete;

    // Life and positions (file_impl.cpp).
    ZRErrCode Open(Int32 openMode);
    ZRErrCode Close();
    bool IsOpen() const { return fd >= 0; }
    ZRErrCode SetPosition(Int32 position);
    ZRErrCode GetPosition(UInt32* position) const;
    ZRErrCode GetLength(UInt64* length) const;
    ZRErrCode GetIdentity(FileIdentity* identity) const;
    ZRErrCode Truncate(UInt64 length);
    ZRErrCode Sync();
    void SetTypeAndCreator(UInt32 type, UInt32 creator) const;
    const Location& GetLocation() const { return location; }

    // The buffer (file_buffer.cpp).
    ZRErrCode Read(char* destination, USize count, USize* read);
    ZRErrCode Peek(const char** data, USize* available);
    void Advance(USize count);
    ZRErrCode Write(const char* source, USize count);
    ZRErrCode Flush();
    // The byte offset of the read and write position.
    UInt64 Position() const;
    ZRErrCode GetInputStatus() const { return inputStatus; }
    ZRErrCode GetOutputStatus() const { return outputStatus; }

private:
    enum class Use { None, Reading, Writing };

    ZRErrCode OpenDescriptor(Int32 openMode, int flags, int& newFd);
    ZRErrCode HaveBuffer();
    ZRErrCode Refill();
    ZRErrCode ReadDirect(char* destination, USize count, USize& done);
    ZRErrCode WritePending();
    ZRErrCode WriteThrough(const char* source, USize count);
    void NoteHandedOver(UInt64 offset, std::size_t count);
    void GrowBufferForLongPass();
    void EmptyBuffer(UInt64 offset);
    ZRErrCode NoteInput(ZRErrCode status);
    ZRErrCode NoteOutput(ZRErrCode status);

    const Location location;
    const std::string path;
    int fd = -1;
    int lookedAt;  // the descriptor New opened, until the first Open
    Int32 mode = File::ReadMode;
    std::unique_ptr<char[]> buffer;  // `capacity` bytes from the first buffered read or write
    std::size_t capacity = FileBufferSize;  // LongPassBufferSize after a long pass
    // None:    nothing is buffered; the position is bufferOffset.
    // Reading: buffer[0, filled) holds the file's bytes from bufferOffset on, and the position is
    //          bufferOffset + readPosition (readPosition <= filled).
    // Writing: buffer[0, filled) holds bytes still to be written at bufferOffset, and the
    //          position is bufferOffset + filled.
    Use use = Use::None;
    UInt64 bufferOffset = 0;
    std::size_t readPosition = 0;
    std::size_t filled = 0;
    std::size_t readSize = FileBufferSize;  // what the next refill asks for
    bool justPositioned = false;  // nothing was read since a position outside the buffer was set
    UInt64 passStart = 0;         // where the sequential pass that reaches the position began
    // The first read failure (end of file included) since the file was opened or positioned.
    ZRErrCode inputStatus = NoError;
    // The first write failure since the file was opened; it refuses every later write.
    ZRErrCode outputStatus = NoError;
    // The bytes handed over since the last write-back started, [writeBackStart, writeBackEnd):
    // one sequential stretch, restarted by a write anywhere but at its end.
    UInt64 writeBackStart = 0;
    UInt64 writeBackEnd = 0;
};

}  // namespace IO
