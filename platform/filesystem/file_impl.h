// The state behind an IO::File: the descriptor, the one buffer shared by reading and writing, and
// the sticky statuses. Not thread-safe: one thread uses a file object at a time.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "host/filesystem.h"

namespace IO {

// Bytes in a file's buffer. A sequential pass makes one read call per this many bytes.
constexpr std::size_t FileBufferSize = 64 * 1024;
// The first refill after a position is set outside the buffer asks for this many bytes; each
// following refill asks for twice as many, up to FileBufferSize. A random access that reads a
// line or two so costs a small read, not a whole buffer. A caller that knows how many bytes it
// wants says so with ReadBin: the first read after such a position takes exactly those bytes
// straight into the caller's memory.
constexpr std::size_t SeekReadSize = 4 * 1024;

struct FileImpl {
public:
    // `path` is the operating-system path of `location`, fixed when the object is made.
    FileImpl(const Location& location, std::string path);
    ~FileImpl();  // closes the file, ignoring failures
    FileImpl(const FileImpl&) = delete;
    FileImpl& operator=(const FileImpl&) = delete;

    // Life and positions (file_impl.cpp).
    GSErrCode Open(Int32 openMode);
    GSErrCode Close();
    bool IsOpen() const { return fd >= 0; }
    GSErrCode SetPosition(Int32 position);
    GSErrCode GetPosition(UInt32* position) const;
    GSErrCode GetLength(UInt64* length) const;
    GSErrCode GetIdentity(FileIdentity* identity) const;
    GSErrCode Truncate(UInt64 length);
    GSErrCode Sync();
    void SetTypeAndCreator(UInt32 type, UInt32 creator) const;
    const Location& GetLocation() const { return location; }

    // The buffer (file_buffer.cpp).
    GSErrCode Read(char* destination, USize count, USize* read);
    GSErrCode Peek(const char** data, USize* available);
    void Advance(USize count);
    GSErrCode Write(const char* source, USize count);
    GSErrCode Flush();
    // The byte offset of the read and write position.
    UInt64 Position() const;
    GSErrCode GetInputStatus() const { return inputStatus; }
    GSErrCode GetOutputStatus() const { return outputStatus; }

private:
    enum class Use { None, Reading, Writing };

    GSErrCode Refill();
    GSErrCode ReadDirect(char* destination, USize count, USize& done);
    GSErrCode WritePending();
    GSErrCode WriteThrough(const char* source, USize count);
    void EmptyBuffer(UInt64 offset);
    GSErrCode NoteInput(GSErrCode status);
    GSErrCode NoteOutput(GSErrCode status);

    const Location location;
    const std::string path;
    int fd = -1;
    Int32 mode = File::ReadMode;
    std::unique_ptr<char[]> buffer;  // FileBufferSize bytes from the first Open on
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
    // The first read failure (end of file included) since the file was opened or positioned.
    GSErrCode inputStatus = NoError;
    // The first write failure since the file was opened; it refuses every later write.
    GSErrCode outputStatus = NoError;
};

}  // namespace IO
