// UniString on channels: a 32-bit little-endian code-unit count, then each code unit as 16 bits,
// little-endian. Reading grows the string only as bytes actually arrive, so a corrupt count costs
// at most one chunk of memory beyond the bytes the channel really holds.
#include <algorithm>
#include <bit>
#include <new>

#include "host/base/unistring.h"

namespace ZR {

namespace {

constexpr USize ChunkUnits = 32768;

void SwapIfBigEndian(char16_t* units, size_t count) {
    if constexpr (std::endian::native == std::endian::big) {
        for (size_t k = 0; k < count; ++k) units[k] = char16_t((units[k] << 8) | (units[k] >> 8));
    }
}

// Reads `count` code units into `units`, chunk by chunk.
ZRErrCode ReadUnits(IChannel& channel, UInt32 count, std::u16string& units) {
    while (units.size() < count) {
        const size_t start = units.size();
        const USize chunk = USize(std::min<size_t>(ChunkUnits, count - start));
        units.resize(start + chunk);
        char* bytes = reinterpret_cast<char*>(units.data() + start);
        const ZRErrCode status = channel.ReadExactly(bytes, chunk * 2);
        if (status != NoError) return status;
        SwapIfBigEndian(units.data() + start, chunk);
    }
    return NoError;
}

}  // namespace

// On failure the string keeps its old content.
ZRErrCode UniString::Read(IChannel& channel) {
    UInt32 count = 0;
    ZRErrCode status = channel.Read(count);
    if (status != NoError) return status;
    std::u16string result;
    try {
        status = ReadUnits(channel, count, result);
    } catch (const std::bad_alloc&) {
        status = ErrMemoryFull;
    }
    if (status == NoError) units = std::move(result);
    return status;
}

ZRErrCode UniString::Write(OChannel& channel) const {
    if (units.size() > MaxUIndex / 2) return ErrParam;
    ZRErrCode status = channel.Write(UInt32(units.size()));
    if (status != NoError || units.empty()) return status;
    if constexpr (std::endian::native == std::endian::little) {
        return channel.WriteBin(reinterpret_cast<const char*>(units.data()),
                                USize(units.size() * 2));
    } else {
        std::u16string swapped(units);
        SwapIfBigEndian(swapped.data(), swapped.size());
        return channel.WriteBin(reinterpret_cast<const char*>(swapped.data()),
                                USize(swapped.size() * 2));
    }
}

}  // namespace ZR
