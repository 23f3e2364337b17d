// The entry operations that concern the module as a whole rather than one channel.
#pragma once

#include "host/base.h"

namespace DataOmbraPlugin {

// Loads the keyword and mode tables that OPEN's parameters are read with. Returns -7003 when the
// host gives no fixed string fetcher.
[[nodiscard]] Int16 InitExtension();

// Does nothing and returns 0: open channels stay open until CLOSE or the module's unload.
[[nodiscard]] Int16 ReleaseAllChannels();

}  // namespace DataOmbraPlugin
