#include "extension/open/write_lock.h"

#include "extension/frame/channel_table.h"

namespace DataOmbraPlugin {

ZRErrCode TakeWriteLock(UInt32 channel, const IO::Location& location, Int32 mode,
                        WriteLockTaken& taken) {
    if (mode == ModeReadOnly) return NoError;
    const ChannelInfo* record = FindChannelRecord(channel);
    if (record != nullptr && record->writeLock.Covers(location)) {
        taken.keepHeld = true;
        return NoError;
    }
    return taken.lock.Acquire(location);
}

void HandWriteLock(UInt32 channel, WriteLockTaken& taken) {
    ChannelInfo* record = FindChannelRecord(channel);
    if (record != nullptr && !taken.keepHeld) record->writeLock = std::move(taken.lock);
}

}  // namespace DataOmbraPlugin
