#include "extension/open/write_lock.h"

namespace DataOmbraPlugin {

ZRErrCode TakeWriteLock(const ChannelInfo* record, const IO::Location& location, Int32 mode,
                        WriteLockTaken& taken) {
    if (mode == ModeReadOnly) return NoError;
    if (record != nullptr && record->writeLock.Covers(location)) {
        taken.keepHeld = true;
        return NoError;
    }
    return taken.lock.Acquire(location);
}

void HandWriteLock(ChannelInfo& record, WriteLockTaken& taken) {
    if (!taken.keepHeld) record.writeLock = std::move(taken.lock);
}

}  // namespace DataOmbraPlugin
