// The typed reads and writes of the channels: each value travels as its bytes in little-endian
// order, whatever the byte order of the machine.
#include "host/base/channels.h"

namespace ZR {

namespace {

template <class T>
GSErrCode ReadLittleEndian(IChannel& channel, T& value) {
    unsigned char bytes[sizeof(T)];
    const GSErrCode status = channel.ReadExactly(reinterpret_cast<char*>(bytes), sizeof(T));
    if (status != NoError) return status;
    T result = 0;
    for (size_t k = 0; k < sizeof(T); ++k) result = T(result | (T(bytes[k]) << (8 * k)));
    value = result;
    return NoError;
}

template <class T>
GSErrCode WriteLittleEndian(OChannel& channel, T value) {
    char bytes[sizeof(T)];
    for (size_t k = 0; k < sizeof(T); ++k) bytes[k] = char((value >> (8 * k)) & 0xFF);
    return channel.WriteBin(bytes, sizeof(T));
}

}  // namespace

// A channel may hand over fewer bytes than asked before its end (a pipe, a buffer boundary): keep
// reading until the count is complete or the channel reports its end or a failure.
GSErrCode IChannel::ReadExactly(char* destination, USize count) {
    USize done = 0;
    while (done < count) {
        USize got = 0;
        const GSErrCode status = ReadBin(destination + done, count - done, &got);
        if (status != NoError) return status;
        if (got == 0) return ErrEndOfInput;
        done += got;
    }
    return NoError;
}

GSErrCode IChannel::Read(Int32& value) {
    UInt32 bits = 0;
    const GSErrCode status = ReadLittleEndian(*this, bits);
    if (status == NoError) value = Int32(bits);
    return status;
}

GSErrCode IChannel::Read(UInt32& value) {
    return ReadLittleEndian(*this, value);
}
GSErrCode IChannel::Read(UInt16& value) {
    return ReadLittleEndian(*this, value);
}
GSErrCode IChannel::Read(UInt8& value) {
    return ReadLittleEndian(*this, value);
}

GSErrCode OChannel::Write(Int32 value) {
    return WriteLittleEndian(*this, UInt32(value));
}
GSErrCode OChannel::Write(UInt32 value) {
    return WriteLittleEndian(*this, value);
}
GSErrCode OChannel::Write(UInt16 value) {
    return WriteLittleEndian(*this, value);
}
GSErrCode OChannel::Write(UInt8 value) {
    return WriteLittleEndian(*this, value);
}

}  // namespace ZR
