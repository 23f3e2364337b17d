// CLOSE: saves a changed data file, closes it and frees the channel number.
#pragma once

#include "host/base.h"

namespace DataOmbraPlugin {

// Writes a still-pending byte-order mark first, so that a file OPEN created is a UTF-8 file even
// when no OUTPUT came. Always returns 0 and reports nothing, also for a channel that is not open
// or a failed save.
[[nodiscard]] Int16 CloseDataChannel(UInt32 channel);

}  // namespace DataOmbraPlugin
