// Peak resident memory with a data file loaded, measured in a process of its own (this program
// started again), so the peaks of different sizes and of the other measurements never mix.
#pragma once

#include <optional>
#include <string>

namespace Compare {

struct PeakMemory {
    double beforeLoad = 0;  // bytes: the process's peak before it opened the file
    double withLoad = 0;    // bytes: its peak once the file's index was built
};

// Starts this program as `program rss PATH` and reads what ReportPeakMemory prints.
std::optional<PeakMemory> MeasurePeakMemory(const std::string& path);

// The child's side: loads `path` with EnsureLoaded and prints both peaks in bytes on one line.
// Returns the exit status: 0, or 1 when the load failed.
int ReportPeakMemory(const std::string& path);

// The peak resident set (VmHWM) of this process in bytes; 0 when it cannot be read.
double PeakResidentBytes();

}  // namespace Compare
