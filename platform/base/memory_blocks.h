// Internals of the memory blocks shared by their implementation files.
#pragma once

namespace ZR::MemoryBlocks {

// True when the allocation about to be made is to fail (see platform/base/memory_faults.h).
bool AllocationFailureDue();

}  // namespace ZR::MemoryBlocks
