// The resources of one registered module: a validated copy of the descriptor of its resource note
// (layout in host/base/resource_image.h), looked up by type and id.
#pragma once

#include <string_view>
#include <vector>

#include "host/base/api.h"
#include "host/base/types.h"

namespace ZR {

class HOST_API ResourceTable {
public:
    // Copies and validates a descriptor: the magic, the count, and every entry's bytes lying
    // inside the descriptor. Returns false, leaving `table` unchanged, for anything else.
    static bool FromDescriptor(const char* descriptor, size_t size, ResourceTable& table);

    // The bytes of resource `type`/`id` (the first entry that matches), or false when absent.
    bool Find(ZRResType type, ZRResID id, std::string_view* bytes) const;

private:
    std::vector<char> descriptor;  // the validated descriptor; entries point inside it
};

// String `index` (from 1) of a stored string list (a 32-bit little-endian byte count, then
// NUL-terminated strings), without its NUL. False, with `text` unchanged, when the count overruns
// the list, the index is below 1 or beyond the last terminated string.
HOST_API bool GetListString(std::string_view list, Int32 index, std::string_view* text);

// The 32-bit little-endian number at `bytes`.
UInt32 LoadLittleEndian32(const char* bytes);

}  // namespace ZR
