// The typed reads and writes of the channels: each value travels as its bytes in little-endian
// order, whatever the byte order of the machine.
#include "host/base/channels.h"

namespace ZR {

namespace {

template <class T>
ZRErrCode ReadLittleEndian(IChannel& channel, T& value) {
    unsigned char bytes[sizeof(T)];
    const ZRErrCode status = channel.ReadExactly(reinterpret_cast<char*>(bytes), sizeof(T));
    if (status != NoError) return status;
    T result = 0;
    for (size_t k = 0; k < sizeof(T); ++k) result = T(result | (T(bytes[k]) << (8 * k)));
    value = result;
    return NoError;
}

template <class T>
ZRErrCode WriteLittleEndian(OChannel& channel, T value) {
    char bytes[sizeof(T)];
    for (size_t k = 0; k < sizeof(T); ++k) bytes[k] = char((value >> (8 * k)) & 0xFF);
    return channel.WriteBin(bytes, sizeof(T));
}

}  // namespace

// A channel may hand over fewer bytes than asked before its end (a pipe, a buffer boundary): keep
// reading until the count is complete or the channel reports its end or a failure.
ZRErrCode IChannel::ReadExactly(char* destination, USize count) {
    USize done = 0;
    while (done < count) {
        USize got = 0;
        const ZRErrCode status = ReadBin(destination + done, count - done, &got);
        if (status != NoError) return status;
        if (got == 0) return ErrEndOfInput;
        done += got;
    }
    return NoError;
}

ZRErrCode IChannel::Read(UInt32& value) {
    return ReadLittleEndian(*this, value);
}
ZRErrCode IChannel::Read(UInt16& value) {
    return ReadLittleEndian(*this, value);
}
ZRErrCode IChannel::Read(UInt8& value) {
    return ReadLittleEndian(*this, value);
}

ZRErrCode OChannel::Write(UInt32 value) {
    return WriteLittleEndian(*this, value);
}
ZRErrCode OChannel::Write(UInt16 value) {
    return WriteLittleEndian(*this, value);
}
ZRErrCode OChannel::Write(UInt8 value) {
    return WriteLittleEndian(*this, value);
}

}  // namespace ZR
