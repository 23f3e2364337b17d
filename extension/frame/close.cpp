#include "extension/frame/close.h"

#include "extension/frame/channel_table.h"

namespace DataOmbraPlugin {

Int16 CloseDataChannel(UInt32 channel) {
    // Saves a modified channel while it still owns its file; a channel that is not open and a
    // failed save both go unnoticed.
    UnloadChannel(channel);
    std::unique_ptr<IO::File> file;
    ReleaseChannel(channel, file);
    CloseAndDestroyFile(file);
    return NoError;
}

}  // namespace DataOmbraPlugin
