// Encoding and writing one line of a data file.
#pragma once

#include <string>

#include "extension/frame/channel_info.h"

namespace DataOmbraPlugin {

// The carriage return that ends every line the module writes.
constexpr ZR::UniChar LineEnd = 0x0D;

// Writes the UTF-8 byte-order mark EF BB BF at the file's position.
[[nodiscard]] ZRErrCode WriteByteOrderMark(IO::File& file);

// Writes the byte-order mark that a new UTF-8 file still lacks (`bomPending`) at the file's start
// and clears `bomPending`; the file is left open for reading and writing. When the mark does not
// reach the file whole, `bomPending` stays set and the file is emptied again (it held nothing
// before the mark: part of a mark would make it read as one line in the default code page), and
// it is left closed.
void WritePendingMark(ChannelInfo& info);

// Sets `length` to the number of bytes that WriteTextLine writes for `text` (every code unit
// counts, NUL included). ErrMemoryFull when the encoded text cannot be had.
[[nodiscard]] ZRErrCode EncodedLength(const ChannelInfo& info, const ZR::UniString& text,
                                      UInt32& length);

// Writes `text` (which already ends with its carriage return) at the file's position, in the
// channel's encoding (UTF-8 or the default code page), all of it. `bytesWritten` (when given)
// receives the number of bytes handed to the write, 0 on failure. Returns the write's status, or
// ErrMemoryFull when the encoded line cannot be had (then nothing is written).
[[nodiscard]] ZRErrCode WriteTextLine(const ChannelInfo& info, IO::File& file,
                                      const ZR::UniString& text, UInt32* bytesWritten = nullptr);

}  // namespace DataOmbraPlugin
