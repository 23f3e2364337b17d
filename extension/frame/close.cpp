#include "extension/frame/close.h"

#include "extension/frame/channel_table.h"
#include "extension/write/write_text_line.h"

namespace DataOmbraPlugin {

Int16 CloseDataChannel(UInt32 channel) {
    // A file that OPEN created, or WO emptied, is a UTF-8 file: its byte-order mark is written
    // even when no OUTPUT came, or the next OPEN would take the empty file for a default code
    // page file and store text outside that code page as "?" (the module's interface leaves it
    // empty). A mark that cannot be written leaves the file empty, as before.
    ChannelInfo* info = FindChannelRecord(channel);
    if (info != nullptr && info->bomPending) WritePendingMark(*info);
    // Saves a modified channel while it still owns its file; a channel that is not open and a
    // failed save both go unnoticed.
    (void)UnloadChannel(channel);
    std::unique_ptr<IO::File> file;
    ReleaseChannel(channel, file);
    CloseAndDestroyFile(file);
    return NoError;
}

}  // namespace DataOmbraPlugin
