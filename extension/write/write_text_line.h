// Encoding and writing one line of a data file.
#pragma once

#include <string>
#include <string_view>

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

// Sets `bytes` to `text` in the channel's encoding (UTF-8 or the default code page), every code
// unit, NUL included. ErrMemoryFull when the encoded text cannot be had.
[[nodiscard]] ZRErrCode EncodeLine(const ChannelInfo& info, const ZR::UniString& text,
                                   std::string& bytes);

// True when `bytes` written at `offset` would make a file in the default code page begin with the
// bytes of the UTF-8 byte-order mark. No such file may: every later OPEN would take it for UTF-8
// and read each of its records changed. The writers put an empty line before such a line instead
// (an empty line is no record), or append it rather than overwrite the first line.
bool WouldPutMarkAtStart(const ChannelInfo& info, UInt32 offset, std::string_view bytes);

// Whole lines written one after another into a file that holds nothing yet, such as a save's
// temporary file after its byte-order mark. A line that would begin a file in the default code
// page with the mark's bytes gets an empty line before it.
class LineWriter {
public:
    LineWriter(const ChannelInfo& info, IO::File& file) : info(info), file(file) {}

    // Writes `lines` (each ending with its carriage return) at the file's position.
    [[nodiscard]] ZRErrCode Write(std::string_view lines);

private:
    const ChannelInfo& info;
    IO::File& file;
    bool empty = true;  // nothing written yet
};

}  // namespace DataOmbraPlugin
