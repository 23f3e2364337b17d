// Test hook of the memory blocks: makes BMAllocatePtr, BMAllocateHandle and BMReallocHandle fail
// on request, as if memory had run out, and lets a test's own allocator (a replacement of the
// global operator new) fail on the same countdown. A failing call returns nullptr, leaves any block
// it was given unchanged and makes BMError() report ErrMemoryFull. Process-wide; when no failure is
// armed the allocation functions pay one relaxed atomic load for the hook.
#pragma once

#include "host/base/api.h"
#include "host/base/types.h"

// Lets the next `skip` allocations succeed, then fails the `count` after them. A new call
// replaces any failures still pending; count 0 disarms the hook.
HOST_API void BMFailNextAllocations(UInt32 skip, UInt32 count);

// The number of armed failures not yet delivered. A sweep that arms one failure at allocation N
// knows the operation made fewer than N + 1 allocations when this is still 1 afterwards.
HOST_API UInt32 BMPendingAllocationFailures();

// Counts one allocation made outside the memory blocks against the armed failures: true when it
// is to fail. A test that replaces operator new calls it, so that one countdown spans both.
HOST_API bool BMTakeAllocationFailure();
