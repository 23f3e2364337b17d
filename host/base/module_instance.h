// How a module knows its own instance handle, the load address its resources are registered by:
// from the address of any function or object of its own, through the dynamic loader's link map
// (the address equals the dlpi_addr the resource service matches). A module calls this once when
// it is loaded; it needs nothing from the host libraries.
#pragma once

#include <dlfcn.h>
#include <link.h>

#include "host/base/types.h"

// The instance of the module that holds `anyAddressInModule`; nullptr when the address belongs
// to no loaded object.
inline ZRInstance ModuleInstanceOfAddress(const void* anyAddressInModule) {
    Dl_info info;
    link_map* map = nullptr;
    if (dladdr1(anyAddressInModule, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0 ||
        map == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<ZRInstance>(map->l_addr);
}
