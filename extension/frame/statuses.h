// The module's own internal statuses, beside the host libraries' (IO::Err..., ErrMemoryFull for
// memory that ran out). Each value has one meaning, and none is a value that an entry operation
// returns: they stay inside the module, where the entry operations turn them into the statuses
// and reports of their interface.
#pragma once

#include "host/base.h"

namespace DataOmbraPlugin {

constexpr ZRErrCode StatusLoadFailed = -7101;    // the indexes could not be built from the file
constexpr ZRErrCode StatusDuplicateKey = -7102;  // tailIndex holds an entry of the key already

}  // namespace DataOmbraPlugin
