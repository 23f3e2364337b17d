// The limits and the in-memory peer: what the file system alone costs for the same work, and a
// hash map that holds the whole file.
#pragma once

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "bench/compare/data_set.h"
#include "bench/compare/timing.h"

namespace Compare {

// A raw read-and-memchr pass that finds every line. Nanoseconds per line.
std::optional<double> LinePass(const DataSet& set, const Repeat& repeat);

// One pread of each probe's line at its known offset. Nanoseconds per read.
std::optional<double> PreadLines(const std::string& path, const std::vector<Probe>& probes,
                                 const Repeat& repeat);

// One pread of the bytes an INPUT of each probe's key reads: the stretch between the two samples
// of the index around the key (the sampling rule of the loader), or the line alone when it is a
// sample or lies after the sorted run. Nanoseconds per read.
std::optional<double> PreadSpans(const DataSet& set, const std::vector<Probe>& probes,
                                 const Repeat& repeat);

// Bytes to write at an offset: a changed line over the old one.
struct LineWrite {
    size_t offset = 0;
    std::string bytes;
};
// One pwrite of each line at its offset in `workPath`. Nanoseconds per write.
std::optional<double> PwriteLines(const std::string& workPath, const std::vector<LineWrite>& lines,
                                  const Repeat& repeat);

// What OUTPUT's contract makes it do for a change in place, by plain system calls: close the
// file and open it for reading and writing, pread the old line, pwrite the new one. Nanoseconds
// per change.
std::optional<double> ContractFloorWrites(const std::string& workPath,
                                          const std::vector<LineWrite>& lines,
                                          const Repeat& repeat);

// A copy of `from` over `to` in 64 KiB blocks, then an fsync when `sync`. Nanoseconds per copy.
std::optional<double> CopyFile(const std::string& from, const std::string& to, bool sync,
                               const Repeat& repeat);

// The whole file in memory: key to the text after it, the last line of a key winning.
using RecordMap = std::unordered_map<std::string, std::string>;
// Builds `map` from the file, timed once. Nanoseconds per line.
std::optional<double> BuildRecordMap(const DataSet& set, RecordMap& map);
// A find of each probe's key. Nanoseconds per find.
std::optional<double> FindInRecordMap(const RecordMap& map, const std::vector<Probe>& probes,
                                      const Repeat& repeat);

}  // namespace Compare
