// The process-wide table of open channels, searched by channel number. Positions count from 1 and
// are never kept across entry operations.
#pragma once

#include <memory>

#include "extension/frame/channel_info.h"

namespace DataOmbraPlugin {

// Position (from 1) of the channel's record, or 0 when the channel is not open.
UInt32 FindChannel(UInt32 channel);
// The record at a position that FindChannel returned.
ChannelInfo& ChannelRecordAt(UInt32 position);
// The channel's record, or nullptr when the channel is not open.
ChannelInfo* FindChannelRecord(UInt32 channel);

// Binds `file` and the settings to the channel, appending a fresh record when the channel has
// none; a file the record held before is closed without a save. The record's content is dropped.
// On success `file` is moved into the record. Raises ZR::BMOutOfMemoryException when the table
// cannot grow; `file` and the table are then unchanged.
void ClaimChannel(UInt32 channel, std::unique_ptr<IO::File>& file, const OpenSettings& settings,
                  bool utf8, bool bomPending);

// `file` receives the channel's file, or nullptr when the channel is not open; `settings`, when
// given and the channel is open, receives its separator and mode (otherwise it is left as is).
void GetChannelFile(UInt32 channel, IO::File** file, OpenSettings* settings = nullptr);

// Saves the content when `modified` is set (the save's result is not passed on), then drops it;
// the file stays open. Returns 0, or -7003 when the channel is not open.
[[nodiscard]] ZRErrCode UnloadChannel(UInt32 channel);

// Hands the channel's file to `file` (nullptr when the channel is not open) and deletes the
// record; later records move down one position.
void ReleaseChannel(UInt32 channel, std::unique_ptr<IO::File>& file);

// Number of records in the table.
UInt32 ChannelCount();

}  // namespace DataOmbraPlugin
