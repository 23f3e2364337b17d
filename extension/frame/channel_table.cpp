#include "extension/frame/channel_table.h"

#include <new>

#include "extension/write/save.h"
#include "host/environment.h"

namespace DataOmbraPlugin {

namespace {

// The open channels in the order they were first claimed. Records are held by pointer, so a
// record never moves while its index entries point into its key store. Destroyed at unload,
// which closes every file still open without saving it.
ZR::VAArray<std::unique_ptr<ChannelInfo>> channelTable;

// Appends a fresh record bound to no channel and returns its position. Raises
// ZR::BMOutOfMemoryException, with the table unchanged, when there is no memory for it.
UInt32 AppendFreshRecord() {
    std::unique_ptr<ChannelInfo> record;
    try {
        record = std::make_unique<ChannelInfo>();
    } catch (const std::bad_alloc&) {
        throw ZR::BMOutOfMemoryException();
    }
    channelTable.Push(std::move(record));
    return channelTable.GetSize();
}

}  // namespace

UInt32 FindChannel(UInt32 channel) {
    for (UInt32 position = 1; position <= channelTable.GetSize(); ++position) {
        if (channelTable[position]->channelNumber == channel) return position;
    }
    return 0;
}

ChannelInfo& ChannelRecordAt(UInt32 position) {
    return *channelTable[position];
}

ChannelInfo* FindChannelRecord(UInt32 channel) {
    const UInt32 position = FindChannel(channel);
    return position == 0 ? nullptr : &ChannelRecordAt(position);
}

void ClaimChannel(UInt32 channel, std::unique_ptr<IO::File>& file, const OpenSettings& settings,
                  bool utf8, bool bomPending) {
    UInt32 position = FindChannel(channel);
    if (position == 0) position = AppendFreshRecord();
    ChannelInfo& record = ChannelRecordAt(position);
    CloseAndDestroyFile(record.file);
    record.channelNumber = channel;
    record.file = std::move(file);
    record.separator = settings.separator;
    record.openMode = settings.mode;
    record.DropContent();
    record.modified = 0;
    record.utf8 = utf8 ? 1 : 0;
    record.bomPending = bomPending ? 1 : 0;
}

void GetChannelFile(UInt32 channel, IO::File** file, OpenSettings* settings) {
    const ChannelInfo* record = FindChannelRecord(channel);
    *file = record == nullptr ? nullptr : record->file.get();
    if (record == nullptr || settings == nullptr) return;
    settings->separator = record->separator;
    settings->mode = record->openMode;
}

ZRErrCode UnloadChannel(UInt32 channel) {
    ChannelInfo* record = FindChannelRecord(channel);
    if (record == nullptr) return StatusReportedError;
    // A modified channel is saved before its content is dropped; a failed save leaves the file as
    // it was and `modified` set, and is not passed on.
    if (record->modified) (void)SaveDataFile(*record);
    record->DropContent();
    return NoError;
}

void ReleaseChannel(UInt32 channel, std::unique_ptr<IO::File>& file) {
    file.reset();
    const UInt32 position = FindChannel(channel);
    if (position == 0) return;
    ChannelInfo& record = ChannelRecordAt(position);
    file = std::move(record.file);
    record.channelNumber = UnboundChannel;
    channelTable.Delete(position);
}

UInt32 ChannelCount() {
    return channelTable.GetSize();
}

}  // namespace DataOmbraPlugin
