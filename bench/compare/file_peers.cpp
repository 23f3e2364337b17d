#include "bench/compare/file_peers.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>

#include "bench/support/bench_support.h"

namespace Compare {

namespace {

// A file descriptor closed when it goes out of scope.
class FileDescriptor {
public:
    FileDescriptor(const std::string& path, int flags) : fd(open(path.c_str(), flags)) {}
    ~FileDescriptor() {
        if (fd >= 0) close(fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return fd; }

private:
    int fd;
};

}  // namespace

std::optional<double> LinePass(const DataSet& set, const Repeat& repeat) {
    return PerOperation(repeat, [&](size_t) -> std::optional<Round> {
        Stopwatch watch;
        watch.Start();
        const size_t lines = BenchSupport::RawLinePass(set.path, '\r');
        watch.Stop();
        if (lines != set.offsets.size()) return Fail("load.line_pass", "wrong line count");
        return Round{lines, watch.Nanoseconds()};
    });
}

std::optional<double> PreadLines(const std::string& path, const std::vector<Probe>& probes,
                                 const Repeat& repeat) {
    const FileDescriptor file(path, O_RDONLY | O_CLOEXEC);
    if (file.Get() < 0) return Fail("lookup.pread", "cannot open " + path);
    std::vector<size_t> lengths;
    for (const Probe& probe : probes) lengths.push_back(RecordText(probe.record).size() + 1);
    char line[256];
    return PerOperation(repeat, [&](size_t round) -> std::optional<Round> {
        const Batch batch = RoundBatch(round, repeat.batch, probes.size());
        size_t total = 0;
        Stopwatch watch;
        watch.Start();
        for (size_t i = 0; i < batch.size; ++i) {
            const size_t at = (batch.first + i) % probes.size();
            total += size_t(pread(file.Get(), line, std::min(lengths[at], sizeof line),
                                  off_t(probes[at].offset)));
        }
        watch.Stop();
        if (total == 0) return Fail("lookup.pread", "nothing read");
        return Round{batch.size, watch.Nanoseconds()};
    });
}

std::optional<double> PwriteLines(const std::string& workPath, const std::vector<LineWrite>& lines,
                                  const Repeat& repeat) {
    const FileDescriptor file(workPath, O_WRONLY | O_CLOEXEC);
    if (file.Get() < 0) return Fail("update.pwrite", "cannot open " + workPath);
    return PerOperation(repeat, [&](size_t round) -> std::optional<Round> {
        const Batch batch = RoundBatch(round, repeat.batch, lines.size());
        Stopwatch watch;
        watch.Start();
        for (size_t i = 0; i < batch.size; ++i) {
            const LineWrite& line = lines[(batch.first + i) % lines.size()];
            if (pwrite(file.Get(), line.bytes.data(), line.bytes.size(), off_t(line.offset)) !=
                ssize_t(line.bytes.size())) {
                return Fail("update.pwrite", "short write");
            }
        }
        watch.Stop();
        return Round{batch.size, watch.Nanoseconds()};
    });
}

std::optional<double> CopyFile(const std::string& from, const std::string& to, bool sync,
                               const Repeat& repeat) {
    return PerOperation(repeat, [&](size_t) -> std::optional<Round> {
        Stopwatch watch;
        watch.Start();
        BenchSupport::CopyBytes(from, to, sync);
        watch.Stop();
        return Round{1, watch.Nanoseconds()};
    });
}

std::optional<double> BuildRecordMap(const DataSet& set, RecordMap& map) {
    Stopwatch watch;
    watch.Start();
    const bool read = ForEachLine(set.path, [&](std::string_view line) {
        const size_t tab = std::min(line.find('\t'), line.size());
        map.insert_or_assign(std::string(line.substr(0, tab)), std::string(line.substr(tab)));
    });
    watch.Stop();
    if (!read) return Fail("load.unordered_map", "cannot read " + set.path);
    return watch.Nanoseconds() / double(set.offsets.size());
}

std::optional<double> FindInRecordMap(const RecordMap& map, const std::vector<Probe>& probes,
                                      const Repeat& repeat) {
    return PerOperation(repeat, [&](size_t round) -> std::optional<Round> {
        const Batch batch = RoundBatch(round, repeat.batch, probes.size());
        size_t found = 0;
        Stopwatch watch;
        watch.Start();
        for (size_t i = 0; i < batch.size; ++i) {
            const auto record = map.find(probes[(batch.first + i) % probes.size()].record.key);
            if (record != map.end()) {
                benchmark::DoNotOptimize(record->second.data());
                ++found;
            }
        }
        watch.Stop();
        if (found != batch.size) return Fail("lookup.unordered_map", "a key was not found");
        return Round{batch.size, watch.Nanoseconds()};
    });
}

}  // namespace Compare
