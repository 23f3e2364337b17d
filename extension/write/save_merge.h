// The one-pass merge of a save: the leading run of the data file and the records of tailIndex,
// written in key order. Internal to the writing subsystem.
#pragma once

#include "extension/frame/channel_info.h"

namespace DataOmbraPlugin {

// Writes into `temp`, at its position, every record of the loaded channel once in key order:
// the lines of the leading run (read sequentially from `info.file`, open for reading) whose key
// has no tailIndex entry, and the line of every tailIndex entry (read through `tailReader`, a
// second reader of the same file) that is not a deletion line. Each line ends with one carriage
// return. Returns 0 or the first failure (ErrMemoryFull when memory runs out); then `temp` is
// incomplete.
[[nodiscard]] ZRErrCode MergeLines(ChannelInfo& info, IO::File& tailReader, IO::File& temp);

}  // namespace DataOmbraPlugin
