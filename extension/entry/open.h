// OPEN: binds a channel number to a data file.
#pragma once

#include "host/environment.h"

namespace DataOmbraPlugin {

// `fileInfoHandle` is the interpreter's memory-handle variable holding the remembered dialog
// choices; only the dialog path uses it.
[[nodiscard]] Int16 OpenDataChannel(UInt32 channel, const ZR::UniString& fileName,
                                    const ZR::UniString& parameters, ZRHandle* fileInfoHandle);

}  // namespace DataOmbraPlugin
