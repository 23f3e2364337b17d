// CLOSE: saves a changed data file, closes it and frees the channel number.
#pragma once

#include "host/base.h"

namespace DataOmbraPlugin {

// Always returns 0 and reports nothing, also for a channel that is not open or a failed save.
Int16 CloseDataChannel(UInt32 channel);

}  // namespace DataOmbraPlugin
