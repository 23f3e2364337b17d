// How the reliability suites choose and count their cases: the file-system calls an operation
// makes, which of them a run breaks, the ways a call can fail, and the tally of cases that the
// suites print for the reliability figures.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "platform/filesystem/fault_injection.h"

namespace Reliability {

namespace Faults = IO::FaultInjection;

// The kind of each file-system call that `run` makes, in order (call n is element n - 1).
// Leaves fault injection disarmed.
std::vector<Faults::Op> TraceCalls(const std::function<void()>& run);

// The call numbers a sweep breaks among `total` calls: all of them when OMBRA_FULL_SWEEP is set
// in the environment or when there are at most StrideFrom; otherwise the first and last
// StrideEdge calls (opening, loading, the temporary file, renaming, closing) and every
// StrideStep-th call of the long run between (the lines of a merge).
inline constexpr std::size_t StrideFrom = 200;
inline constexpr std::size_t StrideEdge = 40;
inline constexpr std::size_t StrideStep = 47;
std::vector<std::size_t> SweptCalls(const std::vector<Faults::Op>& calls);
bool FullSweep();

// One way of failing a call.
struct FailureKind {
    const char* name;
    int errorNumber;
    std::size_t bytesWritten;  // a short write: this many bytes reach the file first
    bool writesOnly;           // applies to Write calls only
};
const std::vector<FailureKind>& FailureKinds();

// Adds a scenario's cases to the suite's tally and prints the line the figures cite; the totals
// of every suite are printed when the program ends.
void Tally(const std::string& suite, const std::string& scenario, std::size_t calls,
           std::size_t cases);

}  // namespace Reliability
