#include "extension/frame/channel_info.h"

namespace DataOmbraPlugin {

void CloseAndDestroyFile(std::unique_ptr<IO::File>& file) {
    if (file == nullptr) return;
    file->Close();  // a failed close leaves nothing to undo: the object is destroyed either way
    file.reset();
}

ChannelInfo::~ChannelInfo() {
    // The file goes first, then the content; nothing is saved.
    CloseAndDestroyFile(file);
}

void RecordIndex::ClearIndex() {
    sortedIndex.Clear();
    tailIndex.Clear();
    recordKeys.Clear();
    samplePrefixes.Clear();
    samplePrefixLength = 0;
    tailPrefixes.Clear();
    tailPrefixLength = 0;
}

void ChannelInfo::DropContent() {
    ClearIndex();
    sharedIndex.reset();
    loaded = 0;
}

}  // namespace DataOmbraPlugin
