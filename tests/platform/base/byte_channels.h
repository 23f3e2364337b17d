// Channels over bytes in memory for the base library's tests: an input channel that can hand
// over its bytes in small pieces (to exercise callers that must loop), and an output channel that
// refuses bytes beyond a capacity.
#pragma once

#include <algorithm>
#include <limits>
#include <string>

#include "host/base/channels.h"

namespace BaseTest {

constexpr ZRErrCode ChannelFull = -34;

class ByteIChannel : public ZR::IChannel {
public:
    explicit ByteIChannel(std::string bytes, USize piece = std::numeric_limits<USize>::max())
        : bytes(std::move(bytes)), piece(piece) {}

    ZRErrCode ReadBin(char* destination, USize count, USize* read = nullptr) override {
        if (read != nullptr) *read = 0;
        if (count == 0) return NoError;
        if (position == bytes.size()) return status = ZR::ErrEndOfInput;
        const USize n = USize(std::min<size_t>({count, bytes.size() - position, piece}));
        bytes.copy(destination, n, position);
        position += n;
        if (read != nullptr) *read = n;
        return NoError;
    }
    ZRErrCode PeekBuffer(const char** data, USize* available) override {
        if (position == bytes.size()) return ZR::ErrEndOfInput;
        *data = bytes.data() + position;
        *available = USize(std::min<size_t>(bytes.size() - position, piece));
        return NoError;
    }
    void Advance(USize count) override { position += std::min<size_t>(count, Remaining()); }
    ZRErrCode GetReadOffset(UInt64* offset) const override {
        *offset = position;
        return NoError;
    }
    ZRErrCode GetInputStatus() const override { return status; }
    size_t Remaining() const { return bytes.size() - position; }

private:
    std::string bytes;
    size_t position = 0;
    USize piece;
    ZRErrCode status = NoError;
};

class ByteOChannel : public ZR::OChannel {
public:
    explicit ByteOChannel(size_t capacity = std::numeric_limits<size_t>::max())
        : capacity(capacity) {}

    ZRErrCode WriteBin(const char* source, USize count, Int32 /*flags*/ = 0) override {
        if (status != NoError) return status;
        const size_t accepted = std::min<size_t>(count, capacity - bytes.size());
        bytes.append(source, accepted);
        if (accepted < count) status = ChannelFull;
        return status;
    }
    ZRErrCode GetOutputStatus() const override { return status; }
    const std::string& Bytes() const { return bytes; }

private:
    std::string bytes;
    size_t capacity;
    ZRErrCode status = NoError;
};

}  // namespace BaseTest
