// The store against the floors it is measured by, each measured in the same run:
//   Load          EnsureLoaded on a fresh channel of a sorted 1,000,000-record file, against a raw
//                 read-and-memchr line pass over the same file (goal: at most 4x);
//   Input         INPUTs of random existing keys on the loaded channel, against one pread() of a
//                 line at a known offset (goal: at most 2x);
//   SkipLines     the undecoded skip of every line, against decoding every line (GetTextLine).
// It also reports the heap that a loaded index holds (IndexBytes, SampleKeys) for 1M lines, and
// for a 10M-line file (about 400 MB on disk) when OMBRA_BENCH_10M is set.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/support/bench_support.h"
#include "extension/entry/input.h"
#include "extension/frame/channel_table.h"
#include "extension/store/data_file.h"
#include "extension/store/index_cache.h"
#include "extension/store/loading.h"
#include "host/utility.h"

namespace {

using namespace DataOmbraPlugin;

// A sorted data file of about 40 bytes a line, CR-terminated.
struct DataFile {
    DataFile(const std::string& folder, size_t lines)
        : path(folder + "/data" + std::to_string(lines)),
          offsets(BenchSupport::WriteDataFile(path, lines, [](size_t i, std::string& text) {
              char line[64];
              text.append(line, size_t(std::snprintf(line, sizeof line,
                                                     "K%09zu\t%zu.25\tsome field text\tred\r", i,
                                                     i % 977)));
          })) {}
    size_t Bytes() const { return size_t(std::filesystem::file_size(path)); }

    std::string path;
    std::vector<size_t> offsets;  // of every line
};

std::unique_ptr<DataFile> million;

std::unique_ptr<ChannelInfo> OpenChannel(const DataFile& file) {
    auto info = std::make_unique<ChannelInfo>();
    info->file = BenchSupport::OpenForReading(file.path);
    return info->file ? std::move(info) : nullptr;
}

void RawLinePass(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(BenchSupport::RawLinePass(million->path, '\r'));
}

void Load(benchmark::State& state) {
    for (auto _ : state) {
        ClearIndexCache();  // each load reads the file
        auto info = OpenChannel(*million);
        if (info) EnsureLoaded(*info);
        if (!info || !info->loaded) state.SkipWithError("load failed");
    }
}

void SkipAllLines(benchmark::State& state) {
    for (auto _ : state) {
        auto info = OpenChannel(*million);
        // The loader skips runs of lines; this skips them all, to the end of the file.
        if (info && SkipLines(*info, INT32_MAX) != IO::ErrEndOfFile)
            state.SkipWithError("skip failed");
    }
}

void DecodeAllLines(benchmark::State& state) {
    for (auto _ : state) {
        auto info = OpenChannel(*million);
        ZR::UniString line;
        while (info && IOUtil::GetTextLine(*info->file, line, false) == NoError) {
        }
    }
}

std::vector<size_t> RandomLines(size_t count) {
    std::mt19937 random(42);
    std::vector<size_t> lines(count);
    for (size_t& line : lines) line = random() % million->offsets.size();
    return lines;
}

void PreadLine(benchmark::State& state) {
    const int fd = open(million->path.c_str(), O_RDONLY | O_CLOEXEC);
    const std::vector<size_t> lines = RandomLines(4096);
    char line[40];
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(pread(fd, line, sizeof line, off_t(million->offsets[lines[i]])));
        i = (i + 1) % lines.size();
    }
    close(fd);
}

void Input(benchmark::State& state) {
    BenchSupport::PrepareCore();
    std::unique_ptr<IO::File> file = std::move(OpenChannel(*million)->file);
    ClaimChannel(1, FindChannelRecord(1), file, OpenSettings{}, false, false);
    std::vector<ZR::UniString> keys;
    for (size_t line : RandomLines(4096)) keys.emplace_back(BenchSupport::Key(line).c_str());
    const ZR::UniString fieldId("1");
    ZR::Array<OmbraValueRecord> values;
    ZR::Array<ZR::UniString> strings;
    Int32 read = 0;
    // The first INPUT loads the index.
    if (InputFromChannel(1, keys[0], fieldId, 1, &read, &values, &strings) != NoError)
        state.SkipWithError("INPUT failed");
    size_t i = 0;
    for (auto _ : state) {
        if (InputFromChannel(1, keys[i], fieldId, 1, &read, &values, &strings) != 0 || read != 1) {
            state.SkipWithError("INPUT failed");
        }
        i = (i + 1) % keys.size();
    }
    ReleaseChannel(*FindChannelRecord(1), file);
}

// Heap held by the loaded index of `file`.
void IndexMemory(benchmark::State& state, const DataFile& file) {
    for (auto _ : state) {
        ClearIndexCache();
        const size_t before = mallinfo2().uordblks;
        auto info = OpenChannel(file);
        if (info) EnsureLoaded(*info);
        if (!info || !info->loaded) state.SkipWithError("load failed");
        state.counters["IndexBytes"] = double(mallinfo2().uordblks - before);
        state.counters["SampleKeys"] = double(info->Index().recordKeys.GetSize());
        state.counters["FileBytes"] = double(file.Bytes());
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    const BenchSupport::TempFolder folder("store");
    million = std::make_unique<DataFile>(folder.Path(), 1000000);
    benchmark::RegisterBenchmark("RawLinePass", RawLinePass)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Load", Load)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("DecodeAllLines", DecodeAllLines)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("SkipAllLines", SkipAllLines)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("PreadLine", PreadLine);
    benchmark::RegisterBenchmark("Input", Input);
    benchmark::RegisterBenchmark("IndexMemory1M", IndexMemory, std::cref(*million))->Iterations(1);
    std::unique_ptr<DataFile> tenMillion;
    if (std::getenv("OMBRA_BENCH_10M") != nullptr) {
        tenMillion = std::make_unique<DataFile>(folder.Path(), 10000000);
        benchmark::RegisterBenchmark("IndexMemory10M", IndexMemory, std::cref(*tenMillion))
            ->Iterations(1);
    }
    BenchSupport::RatioReporter reporter(BenchSupport::RatioReporter::Clock::Cpu);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("Load", "RawLinePass", "(goal <= 4)");
    reporter.PrintRatio("Input", "PreadLine", "(goal <= 2)");
    reporter.PrintRatio("SkipAllLines", "DecodeAllLines", "(goal <= 1)");
    benchmark::Shutdown();
    million.reset();
    return 0;
}
