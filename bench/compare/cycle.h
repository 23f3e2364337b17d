// The cycle that scripts of parametric objects run for every object they regenerate: OPEN
// read-only, three INPUTs of existing keys, CLOSE, over and over on an unchanged catalogue; and the
// same cycle by the system calls it cannot do without and by the embedded SQL database.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "bench/compare/data_set.h"
#include "bench/compare/timing.h"

namespace Compare {

// Keys looked up by one cycle.
constexpr size_t CycleInputs = 3;

// OpenDataChannel read-only, three InputFromChannel of the next probes' keys (four values each),
// CloseDataChannel. Warm: the index of the file is cached by the cycle before; cold: the cache is
// emptied before each cycle (the file stays in the page cache). Nanoseconds per cycle.
std::optional<double> ModuleCycle(const std::string& path, const std::vector<Probe>& probes,
                                  bool warm, const Repeat& repeat);

// open, one pread of each of the three lines at its known offset, close. Nanoseconds per cycle.
std::optional<double> FloorCycle(const std::string& path, const std::vector<Probe>& probes,
                                 const Repeat& repeat);

// sqlite3_open_v2 read-only, prepare, three point SELECTs reading the four fields, finalize,
// close. Nanoseconds per cycle.
std::optional<double> SqliteCycle(const std::string& database, const std::vector<Probe>& probes,
                                  const Repeat& repeat);

}  // namespace Compare
