// The resource service. A module carries its resources (string lists, alerts, configuration
// records) inside its own file; registering the module by its instance handle makes them
// reachable by resource type, id and, for string lists, position from 1.
//
// Stored forms, as RSLoadResource returns them:
// - a string list ("STRF", "STRS"): a 32-bit little-endian count of the bytes that follow, then
//   the strings in order, each ending in a NUL byte;
// - any other resource: the bytes exactly as the module carries them.
#pragma once

#include "host/base/api.h"
#include "host/base/types.h"

// Registers the resources carried by the module loaded at `instance` and makes it the active
// resource module. Returns its handle, or InvalidResModule when the module carries none.
HOST_API ZRResModule RSAddModule_ResetCurrentModule(ZRInstance instance);
HOST_API void RSRemoveModule(ZRResModule module);

// Makes `module` the active resource module; returns the one that was active before.
HOST_API ZRResModule RSSetActiveModule(ZRResModule module);
HOST_API ZRResModule RSGetActiveModule();

// Copies string `index` (from 1) of list `type`/`listId` of `module` into `buffer` as a
// NUL-terminated text, shortened to bufferSize - 1 bytes if longer. Returns false, with an empty
// buffer, when the list or the string is absent.
HOST_API bool RSGetIndString(char* buffer, USize bufferSize, ZRResType type, ZRResID listId,
                             Int32 index, ZRResModule module);

// The stored bytes of resource `type`/`id` of `module`, or nullptr when absent. The bytes stay
// valid while the module is registered.
HOST_API const char* RSLoadResource(ZRResType type, ZRResID id, ZRResModule module, USize* size);
