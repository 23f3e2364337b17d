// What the benchmarks share: the module's core made callable in-process, generated data files,
// raw passes over a file (the floors the module is measured against) and a reporter that prints
// each measured benchmark's time against its floor's, both measured in the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/filesystem.h"

namespace BenchSupport {

// Binds the module code linked into this program, with its resources, to a host environment as a
// real host does (string fetchers, keyword tables loaded), so that OPEN, INPUT, OUTPUT and CLOSE
// of the core run in-process exactly as through the loaded module; no dialogs. A report from the
// module is shown once on standard error. Safe to call more than once.
void PrepareCore();

// A fresh temporary folder named `prefix`-XXXXXX, removed with everything in it on destruction.
class TempFolder {
public:
    explicit TempFolder(const char* prefix);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return path; }

private:
    std::string path;
};

// "K" and `number` in nine digits: the keys of the generated files, ascending with `number`.
std::string Key(size_t number);

// Writes `lines` lines to `path` (replacing it), line i being what `appendLine(i, text)` appends;
// returns the offset of every line. Aborts when the file cannot be written.
std::vector<size_t> WriteDataFile(const std::string& path, size_t lines,
                                  const std::function<void(size_t, std::string&)>& appendLine);

// A file object for `path`, opened for reading; null when that fails.
std::unique_ptr<IO::File> OpenForReading(const std::string& path);

// Reads `path` in 64 KiB blocks and counts the bytes equal to `lineEnd`: the cheapest pass that
// finds every line of a file.
size_t RawLinePass(const std::string& path, char lineEnd);

// Copies `from` over `to` in 64 KiB blocks, then syncs `to` if `sync`. Aborts on a write error.
void CopyBytes(const std::string& from, const std::string& to, bool sync);

// Prints as the console reporter does, then PrintRatio compares two benchmarks' times per
// iteration: CPU time (steadier on a busy machine) or real time (for work that waits for the
// disk), each the fastest of the repetitions (--benchmark_repetitions): noise only adds time.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    enum class Clock { Cpu, Real };
    explicit RatioReporter(Clock clock) : clock(clock) {}
    void ReportRuns(const std::vector<Run>& runs) override;
    // "measured / floor: ratio goal"; nothing when either did not run or failed.
    void PrintRatio(const char* measured, const char* floor, const char* goal = "") const;

private:
    Clock clock;
    std::map<std::string, double> seconds;  // per iteration
};

}  // namespace BenchSupport
