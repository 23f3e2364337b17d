// Finding a module's resource note (host/base/resource_image.h) in the memory of the running
// process, from the module's instance handle alone.
#pragma once

#include <string_view>

#include "host/base/api.h"
#include "host/base/types.h"
#include "platform/base/resource_table.h"

namespace ZR {

// The descriptor of the first resource note among the ELF notes of `notes` (one PT_NOTE segment
// of `size` bytes whose entries are padded to `alignment`, 4 or 8). False when there is none or a
// note header overruns the segment before one is found.
HOST_API bool FindResourceNote(const char* notes, size_t size, size_t alignment,
                               std::string_view* descriptor);

// Loads into `table` the resources of the module whose load address (its dlpi_addr) is
// `instance`. False, with `table` unchanged, when no loaded module has that address, the module
// carries no resource note, or the note's descriptor is malformed.
bool LoadModuleResources(ZRInstance instance, ResourceTable& table);

}  // namespace ZR
