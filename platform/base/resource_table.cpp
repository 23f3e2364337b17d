// Validation and lookup of a module's resource descriptor, and the stored string-list layout.
// Every length read from the bytes is checked against the bytes really there before it is used.
#include "platform/base/resource_table.h"

#include <cstring>

#include "host/base/resource_image.h"

namespace ZR {

namespace {

constexpr size_t HeaderSize = 8;  // magic, count

ResourceImageEntry EntryAt(const char* descriptor, UInt32 index) {
    const char* bytes = descriptor + HeaderSize + size_t(index) * sizeof(ResourceImageEntry);
    return ResourceImageEntry{LoadLittleEndian32(bytes), Int32(LoadLittleEndian32(bytes + 4)),
                              LoadLittleEndian32(bytes + 8), LoadLittleEndian32(bytes + 12)};
}

bool IsWellFormed(const char* descriptor, size_t size) {
    if (size < HeaderSize || LoadLittleEndian32(descriptor) != ResourceImageMagic) return false;
    const UInt64 count = LoadLittleEndian32(descriptor + 4);
    if (count > (size - HeaderSize) / sizeof(ResourceImageEntry)) return false;
    for (UInt32 index = 0; index < count; ++index) {
        const ResourceImageEntry entry = EntryAt(descriptor, index);
        if (UInt64(entry.offset) + entry.size > size) return false;
    }
    return true;
}

}  // namespace

UInt32 LoadLittleEndian32(const char* bytes) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes);
    return UInt32(b[0]) | (UInt32(b[1]) << 8) | (UInt32(b[2]) << 16) | (UInt32(b[3]) << 24);
}

bool ResourceTable::FromDescriptor(const char* descriptor, size_t size, ResourceTable& table) {
    if (descriptor == nullptr || !IsWellFormed(descriptor, size)) return false;
    table.descriptor.assign(descriptor, descriptor + size);
    return true;
}

bool ResourceTable::Find(ZRResType type, ZRResID id, std::string_view* bytes) const {
    if (descriptor.empty()) return false;
    const UInt32 count = LoadLittleEndian32(descriptor.data() + 4);
    for (UInt32 index = 0; index < count; ++index) {
        const ResourceImageEntry entry = EntryAt(descriptor.data(), index);
        if (entry.type == type && entry.id == id) {
            *bytes = std::string_view(descriptor.data() + entry.offset, entry.size);
            return true;
        }
    }
    return false;
}

bool GetListString(std::string_view list, Int32 index, std::string_view* text) {
    if (list.size() < 4 || index < 1) return false;
    const UInt32 count = LoadLittleEndian32(list.data());
    if (count > list.size() - 4) return false;
    std::string_view rest = list.substr(4, count);
    for (Int32 position = 1;; ++position) {
        const size_t end = rest.find('\0');
        if (end == std::string_view::npos) return false;
        if (position == index) {
            *text = rest.substr(0, end);
            return true;
        }
        rest.remove_prefix(end + 1);
    }
}

}  // namespace ZR
