#include "extension/frame/channel_table.h"

#include <new>

#include "host/environment.h"

namespace DataOmbraPlugin {

namespace {

// The open channels in the order they were first claimed. Records are held by pointer, so a
// record never moves while its index entries point into its key store. Destroyed at unload,
// which closes every file still open without saving it.
ZR::VAArray<std::unique_ptr<ChannelInfo>> channelTable;

// Appends a fresh record bound to no channel and returns it. Raises ZR::BMOutOfMemoryException,
// with the table unchanged, when there is no memory for it.
ChannelInfo& AppendFreshRecord() {
    std::unique_ptr<ChannelInfo> record;
    try {
        record = std::make_unique<ChannelInfo>();
    } catch (const std::bad_alloc&) {
        throw ZR::BMOutOfMemoryException();
    }
    ChannelInfo& fresh = *record;
    channelTable.Push(std::move(record));
    return fresh;
}

}  // namespace

ChannelInfo* FindChannelRecord(UInt32 channel) {
    for (UInt32 position = 1; position <= channelTable.GetSize(); ++position) {
        if (channelTable[position]->channelNumber == channel) return channelTable[position].get();
    }
    return nullptr;
}

ChannelInfo& ClaimChannel(UInt32 channel, ChannelInfo* found, std::unique_ptr<IO::File>& file,
                          const OpenSettings& settings, bool utf8, bool bomPending) {
    ChannelInfo& record = found != nullptr ? *found : AppendFreshRecord();
    CloseAndDestroyFile(record.file);
    record.channelNumber = channel;
    record.file = std::move(file);
    record.separator = settings.separator;
    record.openMode = settings.mode;
    record.DropContent();
    record.modified = 0;
    record.utf8 = utf8 ? 1 : 0;
    record.bomPending = bomPending ? 1 : 0;
    record.markUnread = 0;
    return record;
}

void ReleaseChannel(ChannelInfo& record, std::unique_ptr<IO::File>& file) {
    file = std::move(record.file);
    record.channelNumber = UnboundChannel;
    for (UInt32 position = 1; position <= channelTable.GetSize(); ++position) {
        if (channelTable[position].get() == &record) {
            channelTable.Delete(position);
            return;
        }
    }
}

}  // namespace DataOmbraPlugin
