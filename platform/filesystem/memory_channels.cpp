// Channels over memory. The end of the input and a failed growth stick as the channel's status.
#include <algorithm>
#include <cstring>
#include <limits>

#include "host/filesystem.h"
#include "platform/filesystem/memory_guard.h"

namespace IO {

ZRErrCode MemoryIChannel::ReadBin(char* destination, USize count, USize* read) {
    if (read != nullptr) *read = 0;
    if (count == 0) return NoError;
    if (destination == nullptr) return ErrParam;
    if (position == size) {
        if (status == NoError) status = ErrEndOfFile;
        return ErrEndOfFile;
    }
    const USize step = std::min(count, size - position);
    std::memcpy(destination, data + position, step);
    position += step;
    if (read != nullptr) *read = step;
    return NoError;
}

ZRErrCode MemoryIChannel::PeekBuffer(const char** bytes, USize* available) {
    if (bytes == nullptr || available == nullptr) return ErrParam;
    if (position == size) {
        if (status == NoError) status = ErrEndOfFile;
        return ErrEndOfFile;
    }
    *bytes = data + position;
    *available = size - position;
    return NoError;
}

void MemoryIChannel::Advance(USize count) {
    position += std::min(count, size - position);
}

ZRErrCode MemoryIChannel::GetReadOffset(UInt64* offset) const {
    if (offset == nullptr) return ErrParam;
    *offset = position;
    return NoError;
}

ZRErrCode MemoryOChannel::WriteBin(const char* source, USize count, Int32 /*flags*/) {
    if (status != NoError) return status;
    if (count == 0) return NoError;
    ZRErrCode result = ErrParam;
    if (source != nullptr && count > std::numeric_limits<USize>::max() - bytes.size())
        result = ErrMemoryFull;  // GetDataSize could no longer tell the size
    else if (source != nullptr)
        result = CatchMemoryFull([&] {
            bytes.append(source, count);
            return NoError;
        });
    if (result != NoError) status = result;
    return result;
}

}  // namespace IO
