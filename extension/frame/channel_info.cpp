#include "extension/frame/channel_info.h"

#include <algorithm>

namespace DataOmbraPlugin {

void CloseAndDestroyFile(std::unique_ptr<IO::File>& file) {
    if (file == nullptr) return;
    file->Close();  // a failed close leaves nothing to undo: the object is destroyed either way
    file.reset();
}

void KeyStore::Push(std::u16string_view key) {
    std::copy(key.begin(), key.end(), PushUnits(USize(key.size())));
}

void KeyStore::DeleteLast() {
    if (ends.GetSize() == 0) throw ZR::IndexOutOfRangeException();
    ends.Truncate(ends.GetSize() - 1);
    units.Truncate(ends.GetSize() == 0 ? 0 : ends.GetContent()[ends.GetSize() - 1]);
}

void KeyStore::Clear() {
    units.Truncate(0);
    ends.Truncate(0);
}

UInt64 KeyStore::Footprint() const {
    return UInt64(units.GetCapacity()) * sizeof(char16_t) +
           UInt64(ends.GetCapacity()) * sizeof(UInt32);
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
