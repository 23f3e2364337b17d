#include "extension/entry/close.h"

#include "extension/frame/channel_table.h"
#include "extension/write/save.h"
#include "extension/write/write_text_line.h"

namespace DataOmbraPlugin {

Int16 CloseDataChannel(UInt32 channel) {
    ChannelInfo* info = FindChannelRecord(channel);
    if (info == nullptr) return NoError;
    // A file that OPEN created, or WO emptied, is a UTF-8 file: its byte-order mark is written
    // even when no OUTPUT came, or the next OPEN would take the empty file for a default code
    // page file and store text outside that code page as "?" (the module's interface leaves it
    // empty). A mark that cannot be written leaves the file empty, as before.
    if (info->bomPending) WritePendingMark(*info);
    // A modified channel is saved while it still owns its file. A failed save leaves the file as
    // it was, holding every record, and CLOSE has no status to tell it by.
    if (info->modified) (void)SaveDataFile(*info);
    std::unique_ptr<IO::File> file;
    ReleaseChannel(*info, file);
    CloseAndDestroyFile(file);
    return NoError;
}

}  // namespace DataOmbraPlugin
