// Byte channels: the base library's abstraction of a readable or writable byte stream. Files,
// memory blocks and memory buffers are channels. Numbers travel in little-endian order.
#pragma once

#include "host/base/api.h"
#include "host/base/types.h"

namespace ZR {

// A read that needed more bytes than the input holds (the same value as the file system's
// end-of-file status).
constexpr ZRErrCode ErrEndOfInput = -39;

class HOST_API IChannel {
public:
    virtual ~IChannel() = default;

    // Reads up to `count` bytes into `destination`. `read` (when given) receives the number of
    // bytes read. Reading fewer bytes than asked at the end of the input is not an error; reading
    // none at the end returns a non-zero status. A failure also sticks as the input status.
    virtual ZRErrCode ReadBin(char* destination, USize count, USize* read = nullptr) = 0;

    // Exposes the bytes buffered ahead of the read position without copying them: on success
    // `data` points at `available` (at least 1) bytes. Returns non-zero at the end of the input or
    // on error. The bytes stay valid until the next call on the channel. Advance() consumes them.
    virtual ZRErrCode PeekBuffer(const char** data, USize* available) = 0;
    virtual void Advance(USize count) = 0;

    // Byte offset of the read position from the start of the input.
    virtual ZRErrCode GetReadOffset(UInt64* offset) const = 0;

    // The first failure met by a read, or NoError.
    virtual ZRErrCode GetInputStatus() const = 0;

    // Typed reads: exactly the bytes of the value, or a non-zero status (the channel's own, which
    // sticks, or ErrEndOfInput from a channel that hands over nothing without one). On failure
    // `value` is unchanged; ReadExactly may have filled part of `destination`.
    ZRErrCode Read(UInt32& value);
    ZRErrCode Read(UInt16& value);
    ZRErrCode Read(UInt8& value);
    ZRErrCode ReadExactly(char* destination, USize count);
};

class HOST_API OChannel {
public:
    virtual ~OChannel() = default;

    // Writes `count` bytes. Returns NoError only when every byte was accepted; a short write is an
    // error (ErrDiskFull or the failure met). `flags` is reserved and passed as 0. A failure also
    // sticks as the output status.
    virtual ZRErrCode WriteBin(const char* source, USize count, Int32 flags = 0) = 0;

    // The first failure met by a write, or NoError.
    virtual ZRErrCode GetOutputStatus() const = 0;

    ZRErrCode Write(UInt32 value);
    ZRErrCode Write(UInt16 value);
    ZRErrCode Write(UInt8 value);
};

}  // namespace ZR
