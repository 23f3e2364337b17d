// The string fetchers an interpreter hands extension modules in its service record: they read a
// module's string lists through the resource service.
#pragma once

#include "host/environment.h"

// Both copy string `index` (from 1) of list `listId` of `module` into `buffer`, which holds
// FetchBufferSize bytes, as NUL-terminated text shortened to fit. An absent list or string
// leaves the buffer empty. FetchFixedString reads lists of type "STRF", FetchMessageString
// lists of type "STRS".
constexpr USize FetchBufferSize = 256;
HOST_API void FetchFixedString(char* buffer, Int16 listId, Int16 index, ZRResModule module);
HOST_API void FetchMessageString(char* buffer, Int16 listId, Int16 index, ZRResModule module);
