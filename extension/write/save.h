// Saving: the data file rewritten in key order without superseded and deleted lines.
#pragma once

#include "extension/frame/channel_info.h"

namespace DataOmbraPlugin {

// Merges the leading run with the records of tailIndex into the temporary file (the data file's
// name + ".tmp", in the same folder), then puts it in the data file's place atomically. Returns
// 0 on success (clearing `modified` and `bomPending`), otherwise the first failure, with the data
// file unchanged byte for byte and `modified` still set. The data file is left closed.
GSErrCode SaveDataFile(ChannelInfo& info);

// Channel-level form: -7003 when the channel is not open.
GSErrCode SaveChannel(UInt32 channel);

}  // namespace DataOmbraPlugin
