// The instance handle of a loaded module, as RSAddModule_ResetCurrentModule expects it: the
// module's load address (the loader's l_addr, dl_iterate_phdr's dlpi_addr), which for a shared
// object is the address its file is mapped at. Both return nullptr when the module is unknown.
#pragma once

#include "host/base/api.h"
#include "host/base/types.h"

// The instance of a module opened with dlopen, from its handle (through dlinfo's link map).
HOST_API ZRInstance ModuleInstanceOf(void* dlopenHandle);

// The instance of the module that holds `anyAddressInModule` (a function or variable of its own;
// through dladdr1's link map). A module records its own instance at load with this.
HOST_API ZRInstance ModuleInstanceOfAddress(const void* anyAddressInModule);
