// The allocation failure countdown behind platform/base/memory_faults.h.
#include "platform/base/memory_faults.h"

#include <atomic>
#include <mutex>

#include "platform/base/memory_blocks.h"

namespace {

std::atomic<bool> armed{false};
std::mutex countdownMutex;
UInt32 toSkip = 0;  // guarded by countdownMutex
UInt32 toFail = 0;  // guarded by countdownMutex; armed == (toFail > 0)

}  // namespace

void BMFailNextAllocations(UInt32 skip, UInt32 count) {
    std::lock_guard<std::mutex> lock(countdownMutex);
    toSkip = skip;
    toFail = count;
    armed.store(count > 0, std::memory_order_relaxed);
}

UInt32 BMPendingAllocationFailures() {
    std::lock_guard<std::mutex> lock(countdownMutex);
    return toFail;
}

bool ZR::MemoryBlocks::AllocationFailureDue() {
    if (!armed.load(std::memory_order_relaxed)) return false;
    std::lock_guard<std::mutex> lock(countdownMutex);
    if (toFail == 0) return false;
    if (toSkip > 0) {
        --toSkip;
        return false;
    }
    if (--toFail == 0) armed.store(false, std::memory_order_relaxed);
    return true;
}

bool BMTakeAllocationFailure() {
    return ZR::MemoryBlocks::AllocationFailureDue();
}
