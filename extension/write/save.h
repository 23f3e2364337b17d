// Saving: the data file rewritten in key order without superseded and deleted lines.
#pragma once

#include "extension/frame/channel_info.h"

namespace DataOmbraPlugin {

// Loads the channel if needed and merges the leading run with the records of tailIndex into the
// temporary file (the data file's name + ".tmp", in the same folder), which then takes the data
// file's place atomically. Returns 0 on success, clearing `modified` and `bomPending`; the
// indexes then describe the old file and the caller drops them. Otherwise returns the first
// failure with the data file unchanged byte for byte and `modified` as it was. The data file is
// left closed, except when no temporary file can be made: then nothing is touched and the
// status is 0 all the same.
[[nodiscard]] ZRErrCode SaveDataFile(ChannelInfo& info);

}  // namespace DataOmbraPlugin
