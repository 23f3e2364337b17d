// Every figure of one data set size, measured in one process run.
#pragma once

#include <string>

#include "bench/compare/figures.h"

namespace Compare {

struct SizeRun {
    size_t records = 0;  // of the sorted run; TailLines more follow it
    std::string folder;  // where the data set and the peers' files are made (emptied afterwards)
    std::string ombra;   // the script host to measure; its figures are skipped when empty
};

// Generates the data set, then measures load, lookup, update, save, memory and the script host,
// each beside its baselines. A figure that cannot be measured is left out (it says why on
// standard error) and counted in `failures`.
FigureSet MeasureSize(const SizeRun& run, int& failures);

}  // namespace Compare
