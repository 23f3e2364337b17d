// Consuming lines of a byte channel without decoding them, by the line rules of
// IOUtil::GetTextLine: CR, LF and CR LF each end a line, and a last line without a terminator is a
// line. The channel's read position is left at the first byte of the next line.
#pragma once

#include <string>

#include "host/base.h"

namespace DataOmbraPlugin {

// Marks a line's key as running to the end of the line (no separator byte to look for).
constexpr int NoSeparatorByte = -1;

// Consumes one line. When `key` is given it receives the line's bytes up to the first byte equal
// to `separatorByte` (the whole line for NoSeparatorByte); otherwise nothing is copied. Returns 0,
// IO::ErrEndOfFile when no byte is left (then `key` is empty), or the channel's failure.
GSErrCode ConsumeLine(ZR::IChannel& channel, std::string* key, int separatorByte);

// Index of the first CR or LF among `size` bytes, or `size` when there is none.
size_t FindLineEnd(const char* data, size_t size);

}  // namespace DataOmbraPlugin
