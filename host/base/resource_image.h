// How a module carries its resources: one ELF note in a loaded PT_NOTE segment of the module
// file, so that the resource service finds them in memory from the module's load address alone,
// without any exported name. The build's resource compiler writes it; the resource service reads
// it. All numbers are 32-bit little-endian.
//
//   note header:  namesz = sizeof(ResourceNoteName), descsz, type = ResourceNoteType
//   note name:    ResourceNoteName, NUL-terminated, padded to 4 bytes
//   descriptor:   UInt32 magic (ResourceImageMagic), UInt32 count,
//                 count entries { UInt32 type; Int32 id; UInt32 offset; UInt32 size },
//                 then the resource bytes; each offset counts from the descriptor's first byte.
#pragma once

#include "host/base/types.h"

constexpr char ResourceNoteName[] = "OmbraRes";
constexpr UInt32 ResourceNoteType = FourCharCode("RSRC");
constexpr UInt32 ResourceImageMagic = FourCharCode("ORI1");

struct ResourceImageEntry {
    UInt32 type;
    Int32 id;
    UInt32 offset;
    UInt32 size;
};
static_assert(sizeof(ResourceImageEntry) == 16);
