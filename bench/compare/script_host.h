// The script host's overhead: a script loop of INPUTs run by the built `ombra` program against the
// same INPUTs made directly from C++.
#pragma once

#include <optional>
#include <string>

#include "bench/compare/data_set.h"
#include "bench/compare/timing.h"

namespace Compare {

// Loop passes of the measured script.
constexpr int ScriptPasses = 100000;
// Statements a loop pass runs: the key arithmetic, the INPUT and NEXT.
constexpr int StatementsPerPass = 3;

// A script that opens the data file `fileName` read-only, makes one INPUT (which loads the
// index), then runs `passes` loop passes, each stepping a pseudo-random sequence, making the key
// of the run record it picks and reading that record's four fields; it prints the number of
// values delivered in all. The direct loop below picks the same records.
std::string InputLoopScript(const std::string& fileName, size_t runRecords, int passes);

// CPU time, user and system: both sides are whole runs of a second or more, and their
// difference is what matters, which waiting for a busy machine's cores would drown.
struct ScriptCost {
    double ombraPerPass = 0;   // ns: a loop pass of the script under ombra
    double directPerPass = 0;  // ns: the same pass made from C++
};

// Runs the script with ScriptPasses passes and with none (start-up, OPEN, the first load and
// CLOSE, subtracted) by `ombra`, with the data file's folder as base folder and `folder` holding
// the script and the state file; then the same INPUTs directly on channel 1. The fastest of the
// rounds of each.
std::optional<ScriptCost> MeasureScriptHost(const DataSet& set, const std::string& ombra,
                                            const std::string& folder, const Repeat& repeat);

// Cycles of the measured cycle script.
constexpr int ScriptCycles = 2000;

// A script of `cycles` cycles on the data file `fileName`: OPEN read-only, three INPUTs of
// pseudo-random run records (four fields each), CLOSE, after a first cycle of one INPUT that
// loads the index; it prints the number of values delivered.
std::string CycleScript(const std::string& fileName, size_t runRecords, int cycles);

// The cycle through the script host: CPU time of the script with ScriptCycles cycles less that
// of the script with none (start-up and the first cycle, which loads), per cycle, the fastest of
// the rounds. The index of the file is cached from the script's first cycle on.
std::optional<double> OmbraCycle(const DataSet& set, const std::string& ombra,
                                 const std::string& folder, const Repeat& repeat);

// System calls per warm cycle through the script host, counted by `strace -f -c` on the script
// with ScriptCycles cycles less the script with none (both load the index in their first cycle).
// Nothing when strace cannot be run.
std::optional<double> OmbraCycleSystemCalls(const DataSet& set, const std::string& ombra,
                                            const std::string& folder);

}  // namespace Compare
