// Instructions per operation, counted by valgrind's cachegrind ("I refs"), which do not depend on
// how busy the machine is: a run of this program making a number of INPUTs (or SQLite point
// SELECTs) less a run making none.
#pragma once

#include <optional>
#include <string>

#include "bench/compare/data_set.h"

namespace Compare {

// Operations of the counted run.
constexpr int CountedOperations = 2000;

// The child's side ("compare_bench operations KIND PATH RUNRECORDS COUNT"): one operation that
// loads or warms what the kind needs, then COUNT (at most CountedOperations) more on
// pseudo-random run records; the keys of CountedOperations are made whatever the count. KIND is
// "input" (InputFromChannel of the data file at PATH, four fields) or "select" (a prepared point
// SELECT of the database at PATH) or "cycle" (OPEN read-only of the data file at PATH, three
// INPUTs and CLOSE, through the entry operations). Exit status 0 when every operation delivered its record.
int RunOperations(const std::string& kind, const std::string& path, size_t runRecords, int count);

// Instructions per operation of `kind` on `path`; nothing when valgrind cannot be run.
std::optional<double> InstructionsPerOperation(const std::string& kind, const std::string& path,
                                               size_t runRecords, const std::string& folder);

}  // namespace Compare
