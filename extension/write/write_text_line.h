// Encoding and writing one line of a data file.
#pragma once

#include "extension/frame/channel_info.h"

namespace DataOmbraPlugin {

// Writes `text` (which already ends with its carriage return) at the file's position, in the
// channel's encoding (UTF-8 or the default code page), all of it. `bytesWritten` (when given)
// receives the number of bytes handed to the write, 0 on failure. Returns the write's status, or
// ErrMemoryFull when the encoded line cannot be had (then nothing is written).
GSErrCode WriteTextLine(const ChannelInfo& info, IO::File& file, const ZR::UniString& text,
                        UInt32* bytesWritten = nullptr);

}  // namespace DataOmbraPlugin
