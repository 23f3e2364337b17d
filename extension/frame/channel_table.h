// The process-wide table of open channels, searched by channel number. An entry operation looks
// its channel up once and passes the record on; records never move while they are in the table.
#pragma once

#include <memory>

#include "extension/frame/channel_info.h"

namespace DataOmbraPlugin {

// The channel's record, or nullptr when the channel is not open.
ChannelInfo* FindChannelRecord(UInt32 channel);

// Binds `file` and the settings to the channel: to `record`, the channel's record that the
// caller found, or to a fresh record appended when it found none; a file the record held before
// is closed without a save. The record's content is dropped. On success `file` is moved into the
// record, which is returned. Raises ZR::BMOutOfMemoryException when the table cannot grow; `file`
// and the table are then unchanged.
ChannelInfo& ClaimChannel(UInt32 channel, ChannelInfo* record, std::unique_ptr<IO::File>& file,
                          const OpenSettings& settings, bool utf8, bool bomPending);

// Hands the record's file to `file` and deletes the record from the table.
void ReleaseChannel(ChannelInfo& record, std::unique_ptr<IO::File>& file);

}  // namespace DataOmbraPlugin
