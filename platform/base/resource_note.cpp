// The resource note is found by walking the program headers of the loaded modules: the module
// whose load address equals the instance handle, then its PT_NOTE segments, then their notes.
#include "platform/base/resource_note.h"

#include <elf.h>
#include <link.h>

#include <cstdint>
#include <cstring>

#include "host/base/resource_image.h"

namespace ZR {

namespace {

constexpr size_t Padded(size_t length, size_t alignment) {
    return (length + alignment - 1) / alignment * alignment;
}

bool IsResourceNote(const ElfW(Nhdr) & header, const char* name) {
    return header.n_type == ResourceNoteType && header.n_namesz == sizeof(ResourceNoteName) &&
           std::memcmp(name, ResourceNoteName, sizeof(ResourceNoteName)) == 0;
}

struct ModuleSearch {
    uintptr_t instance;
    ResourceTable* table;
    bool loaded = false;
};

bool LoadFromSegments(const dl_phdr_info& module, ResourceTable& table) {
    for (ElfW(Half) index = 0; index < module.dlpi_phnum; ++index) {
        const ElfW(Phdr)& segment = module.dlpi_phdr[index];
        if (segment.p_type != PT_NOTE) continue;
        const auto* notes = reinterpret_cast<const char*>(module.dlpi_addr + segment.p_vaddr);
        const size_t alignment = segment.p_align == 8 ? 8 : 4;
        std::string_view descriptor;
        if (FindResourceNote(notes, segment.p_memsz, alignment, &descriptor)) {
            return ResourceTable::FromDescriptor(descriptor.data(), descriptor.size(), table);
        }
    }
    return false;
}

// Runs under the loader's lock, so the module cannot be unloaded while its note is copied.
int VisitModule(dl_phdr_info* module, size_t /*infoSize*/, void* data) {
    auto* search = static_cast<ModuleSearch*>(data);
    if (module->dlpi_addr != search->instance) return 0;
    search->loaded = LoadFromSegments(*module, *search->table);
    return 1;
}

}  // namespace

bool FindResourceNote(const char* notes, size_t size, size_t alignment,
                      std::string_view* descriptor) {
    size_t offset = 0;
    while (size - offset >= sizeof(ElfW(Nhdr))) {
        ElfW(Nhdr) header;
        std::memcpy(&header, notes + offset, sizeof header);
        const size_t nameStart = offset + sizeof header;
        const size_t descStart = nameStart + Padded(header.n_namesz, alignment);
        if (header.n_namesz > size || header.n_descsz > size || descStart > size ||
            header.n_descsz > size - descStart) {
            return false;
        }
        if (IsResourceNote(header, notes + nameStart)) {
            *descriptor = std::string_view(notes + descStart, header.n_descsz);
            return true;
        }
        offset = descStart + Padded(header.n_descsz, alignment);
        if (offset > size) return false;
    }
    return false;
}

bool LoadModuleResources(ZRInstance instance, ResourceTable& table) {
    ModuleSearch search{reinterpret_cast<uintptr_t>(instance), &table};
    dl_iterate_phdr(VisitModule, &search);
    return search.loaded;
}

}  // namespace ZR
