// The lock that keeps a second writer off a data file. A channel opened WA or WO holds it on its
// file from OPEN to CLOSE; the lock lives in the channel's record, so CLOSE, a re-OPEN of the
// channel and the module's unload release it together with the record's file, and a save moves it
// to the file that takes the data file's name. Readers (RO) take no lock and are never refused.
//
// The lock is advisory and of the flock kind: another program that holds an flock on the file,
// shared or exclusive, makes a writer's OPEN fail as a second writer would; a program that only
// holds fcntl record locks, or none, is not seen, and a writer then opens the file.
#pragma once

#include "extension/frame/channel_info.h"

namespace DataOmbraPlugin {

// What OPEN took for the channel.
struct WriteLockTaken {
    IO::FileLock lock;
    bool keepHeld = false;  // the channel holds the lock on this file already (re-OPEN)
};

// Takes the lock on the file at `location` for a channel to be opened with `mode`: nothing for
// RO; for a writing mode the lock that the channel's `record` (nullptr when it is not open)
// holds on this file, otherwise a new one. Fails (IO::ErrLocked) when another channel or process
// holds it; nothing is released then.
[[nodiscard]] ZRErrCode TakeWriteLock(const ChannelInfo* record, const IO::Location& location,
                                      Int32 mode, WriteLockTaken& taken);

// After ClaimChannel: the channel's record holds what was taken (a reader's record none).
void HandWriteLock(ChannelInfo& record, WriteLockTaken& taken);

}  // namespace DataOmbraPlugin
