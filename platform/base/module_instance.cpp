// Instance handles from the dynamic loader's link map, so that they equal the dlpi_addr that the
// resource service matches.
#include "platform/base/module_instance.h"

#include <dlfcn.h>
#include <link.h>

ZRInstance ModuleInstanceOf(void* dlopenHandle) {
    if (dlopenHandle == nullptr) return nullptr;
    link_map* map = nullptr;
    if (dlinfo(dlopenHandle, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr) return nullptr;
    return reinterpret_cast<ZRInstance>(map->l_addr);
}
