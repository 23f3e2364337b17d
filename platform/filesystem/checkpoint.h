// The library-internal side of fault injection: the checkpoint every operating-system call of the
// file-system library passes first. Unarmed it is one relaxed atomic load.
#pragma once

#include <atomic>
#include <cstddef>
#include <string_view>

#include "platform/filesystem/fault_injection.h"

namespace IO::FaultInjection {

// The checkpoint's answer. errorNumber 0 lets the call proceed; otherwise the call fails with that
// errno, a write after handing `bytesWritten` of its bytes to the operating system.
struct Verdict {
    int errorNumber = 0;
    std::size_t bytesWritten = 0;
    bool Fails() const { return errorNumber != 0; }
};

namespace Detail {
extern std::atomic<bool> armed;
Verdict Evaluate(Op op, std::string_view path);
}  // namespace Detail

inline Verdict Checkpoint(Op op, std::string_view path) {
    if (!Detail::armed.load(std::memory_order_relaxed)) [[likely]]
        return {};
    return Detail::Evaluate(op, path);
}

}  // namespace IO::FaultInjection
