// Applying one record to the data file and the channel's indexes.
#pragma once

#include "extension/frame/channel_info.h"
#include "extension/frame/statuses.h"

namespace DataOmbraPlugin {

// Stores `recordText` as the record of `key` (an empty text deletes it) through the loaded channel
// open for writing: nothing is written for an unchanged line; a line of the same encoded length is
// overwritten in place; anything else is appended at the end of the file and tailIndex pointed at
// it (then `modified` is set). Every byte written has reached the operating system when it returns.
// Returns 0 or the first failure (ErrMemoryFull when memory runs out); after a failure the indexes
// still describe the file, or they are dropped so that the next use reloads it.
[[nodiscard]] ZRErrCode UpdateRecord(ChannelInfo& info, const ZR::UniString& key,
                                     const ZR::UniString& recordText);

// Inserts `entry` into tailIndex at its key's place, in the order FindRecordLine searches. Returns
// 0, or StatusDuplicateKey when an entry with an equal key is there; raises
// ZR::BMOutOfMemoryException, with tailIndex unchanged, when it cannot grow.
[[nodiscard]] ZRErrCode InsertTailEntry(ChannelInfo& info, const RecInfoRec& entry);

}  // namespace DataOmbraPlugin
