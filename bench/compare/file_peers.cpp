#include "bench/compare/file_peers.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>

#include "bench/support/bench_support.h"
#include "extension/frame/channel_info.h"

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

// Offset and length of the bytes an INPUT of the line at `offset` reads (see PreadSpans).
struct Span {
    size_t offset = 0;
    size_t length = 0;
};

Span SpanOf(const DataSet& set, size_t offset) {
    const auto at = std::lower_bound(set.offsets.begin(), set.offsets.end(), offset);
    const size_t line = size_t(at - set.offsets.begin());
    const size_t runLines = set.runRecords;
    const auto lineEnd = [&](size_t index) {
        return index + 1 < set.offsets.size() ? set.offsets[index + 1] : set.bytes;
    };
    if (line >= runLines) return {offset, lineEnd(line) - offset};
    // Sample 1 is line 0, sample j >= 2 is line trunc(j * step) - 1.
    const size_t samples = std::min<size_t>(runLines, DataOmbraPlugin::MaxSortedSamples);
    const double step = double(runLines) / double(samples);
    const auto sampleLine = [&](size_t j) { return j == 1 ? 0 : size_t(double(j) * step) - 1; };
    size_t low = 1;  // the last sample at or below the line
    size_t high = samples;
    while (low < high) {
        const size_t middle = (low + high + 1) / 2;
        if (sampleLine(middle) <= line) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    if (sampleLine(low) == line) return {offset, lineEnd(line) - offset};
    const size_t start = set.offsets[sampleLine(low)];
    const size_t end = low < samples ? set.offsets[sampleLine(low + 1)] : set.offsets[runLines];
    return {start, end - start};
}

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

std::optional<double> PreadSpans(const DataSet& set, const std::vector<Probe>& probes,
                                 const Repeat& repeat) {
    const FileDescriptor file(set.path, O_RDONLY | O_CLOEXEC);
    if (file.Get() < 0) return Fail("lookup.span_pread", "cannot open " + set.path);
    std::vector<Span> spans;
    size_t longest = 0;
    for (const Probe& probe : probes) {
        spans.push_back(SpanOf(set, probe.offset));
        longest = std::max(longest, spans.back().length);
    }
    std::string bytes(longest, '\0');
    return PerOperation(repeat, [&](size_t round) -> std::optional<Round> {
        const Batch batch = RoundBatch(round, repeat.batch, spans.size());
        size_t total = 0;
        Stopwatch watch;
        watch.Start();
        for (size_t i = 0; i < batch.size; ++i) {
            const Span& span = spans[(batch.first + i) % spans.size()];
            total += size_t(pread(file.Get(), bytes.data(), span.length, off_t(span.offset)));
        }
        watch.Stop();
        if (total == 0) return Fail("lookup.span_pread", "nothing read");
        return Round{batch.size, watch.Nanoseconds()};
    });
}

std::optional<double> ContractFloorWrites(const std::string& workPath,
                                          const std::vector<LineWrite>& lines,
                                          const Repeat& repeat) {
    constexpr const char* figure = "update.contract_floor";
    int fd = open(workPath.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return Fail(figure, "cannot open " + workPath);
    char old[256];
    const std::optional<double> cost =
        PerOperation(repeat, [&](size_t round) -> std::optional<Round> {
            const Batch batch = RoundBatch(round, repeat.batch, lines.size());
            Stopwatch watch;
            watch.Start();
            for (size_t i = 0; i < batch.size; ++i) {
                const LineWrite& line = lines[(batch.first + i) % lines.size()];
                close(fd);
                fd = open(workPath.c_str(), O_RDWR | O_CLOEXEC);
                const size_t length = std::min(line.bytes.size(), sizeof old);
                if (fd < 0 || pread(fd, old, length, off_t(line.offset)) != ssize_t(length) ||
                    pwrite(fd, line.bytes.data(), line.bytes.size(), off_t(line.offset)) !=
                        ssize_t(line.bytes.size())) {
                    return Fail(figure, "a call failed");
                }
            }
            watch.Stop();
            return Round{batch.size, watch.Nanoseconds()};
        });
    if (fd >= 0) close(fd);
    return cost;
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
