// The instance handle of a loaded module, as RSAddModule_ResetCurrentModule expects it: the
// module's load address (the loader's l_addr, dl_iterate_phdr's dlpi_addr), which for a shared
// object is the address its file is mapped at. The host side finds it from the dlopen handle; a
// module finds its own with ModuleInstanceOfAddress (host/base/module_instance.h).
#pragma once

#include "host/base/api.h"
#include "host/base/module_instance.h"
#include "host/base/types.h"

// The instance of a module opened with dlopen, from its handle (through dlinfo's link map);
// nullptr when the handle is unknown.
HOST_API ZRInstance ModuleInstanceOf(void* dlopenHandle);
