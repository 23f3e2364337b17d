#include "extension/frame/key_store.h"

#include <algorithm>

namespace DataOmbraPlugin {

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

}  // namespace DataOmbraPlugin
