// Memory blocks. A handle is a relocatable block: *handle points at its bytes, which may move when
// the block is resized. A pointer block stays where it is. Every call records its outcome for
// BMError(): NoError, ErrMemoryFull when the memory could not be had, or ErrParam for a negative
// size or a null handle. *handle is never null while the block lives, even at size 0.
#pragma once

#include "host/base/api.h"
#include "host/base/types.h"

// `flags` 2 clears the new bytes; `reserved` is passed as 0.
HOST_API ZRHandle BMAllocateHandle(Int32 size, Int32 flags, Int32 reserved);
// Resizes the block; on failure the block keeps its old size and bytes. Returns the handle (the
// same one) or nullptr on failure.
HOST_API ZRHandle BMReallocHandle(ZRHandle handle, Int32 newSize, Int32 flags, Int32 reserved);
HOST_API Int32 BMGetHandleSize(ZRHandle handle);
HOST_API void BMKillHandle(ZRHandle* handle);  // frees the block and sets *handle to nullptr

HOST_API ZRPtr BMAllocatePtr(Int32 size, Int32 flags, Int32 reserved);
HOST_API void BMKillPtr(ZRPtr* pointer);  // frees the block and sets *pointer to nullptr

// The outcome of the calling thread's last BM call.
HOST_API ZRErrCode BMError();

// Copies `count` bytes; the two ranges may overlap.
HOST_API void BNCopyMemory(void* destination, const void* source, USize count);
