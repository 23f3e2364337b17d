// Our side of the comparison: the module's operations called in-process on channel 1, as the
// interpreter calls its entry operations (BenchSupport::PrepareCore binds them first).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "bench/compare/data_set.h"
#include "bench/compare/timing.h"

namespace Compare {

// EnsureLoaded on a freshly opened file of the data set. Nanoseconds per line.
std::optional<double> ModuleLoad(const DataSet& set, const Repeat& repeat);

// InputFromChannel of each probe's key, field 1 on, four values, on a loaded channel (the
// file opened read-only). Fails unless every INPUT delivers four values. Nanoseconds per INPUT.
std::optional<double> ModuleInput(const std::string& path, const std::vector<Probe>& probes,
                                  const Repeat& repeat);

// The OUTPUT figures start from a compacted file (sorted, no tail), as ModuleClose leaves it:
// OUTPUT compacts once the tail index holds 1023 records, so on a file with a full tail every
// OUTPUT would.

// OutputToChannel of each change (field 1 on, the price as a real, the quantity as an integer,
// the texts as strings) on a loaded channel of `workPath` opened in mode WA. Every change must
// keep its record's line length: the measurement fails when one is appended. Nanoseconds per
// OUTPUT.
std::optional<double> ModuleOutputInPlace(const std::string& workPath,
                                          const std::vector<Record>& changes, const Repeat& repeat);

struct AppendCost {
    double withoutCompactions = 0;  // median of the OUTPUTs that neither compacted nor reloaded
    double withCompactions = 0;     // mean of all OUTPUTs: the compactions' share included
    size_t compactions = 0;
};

// OUTPUT of each change once, in order, each to a record whose line it lengthens, so that every
// change is appended and every 1023rd compacts the file (save and reload). The OUTPUT that saves
// and the next one, which loads the saved file, count as compacting.
std::optional<AppendCost> ModuleOutputAppend(const std::string& workPath,
                                             const std::vector<Record>& changes);

// CLOSE of a fresh copy (at `workPath`) of the data set, loaded with `modified` set as OUTPUT
// leaves it: the sorted rewrite through the temporary file. Fails unless the saved file drops
// the replaced lines. Afterwards `workPath` holds the compacted file. Nanoseconds per CLOSE.
std::optional<double> ModuleClose(const DataSet& set, const std::string& workPath,
                                  const Repeat& repeat);

}  // namespace Compare
