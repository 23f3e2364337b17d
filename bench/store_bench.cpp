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

#include "extension/frame/channel_table.h"
#include "extension/frame/host_services.h"
#include "extension/store/data_file.h"
#include "extension/store/input.h"
#include "extension/store/loading.h"
#include "host/utility.h"

namespace {

using namespace DataOmbraPlugin;

// A sorted data file of about 40 bytes a line, CR-terminated, in a temporary folder.
struct DataFile {
    DataFile(const std::string& folder, size_t lines)
        : path(folder + "/data" + std::to_string(lines)) {
        std::string text;
        char line[64];
        for (size_t i = 0; i < lines; ++i) {
            offsets.push_back(text.size());
            text.append(
                line, size_t(std::snprintf(line, sizeof line,
                                           "K%09zu\t%zu.25\tsome field text\tred\r", i, i % 977)));
            if (text.size() > (1u << 24)) Flush(text);
        }
        Flush(text);
    }
    void Flush(std::string& text) {
        FILE* out = std::fopen(path.c_str(), "ab");
        if (out == nullptr || std::fwrite(text.data(), 1, text.size(), out) != text.size()) {
            std::abort();
        }
        std::fclose(out);
        bytes += text.size();
        text.clear();
    }
    IO::Location Location() const {
        return IO::Location(ZR::UniString(path.data(), USize(path.size()), CC_UTF8));
    }
    std::string Key(size_t i) const {
        char key[16];
        std::snprintf(key, sizeof key, "K%09zu", i);
        return key;
    }

    std::string path;
    std::vector<size_t> offsets;  // of every line
    size_t bytes = 0;
};

std::string folder;
std::unique_ptr<DataFile> million;

std::unique_ptr<ChannelInfo> OpenChannel(const DataFile& file) {
    auto info = std::make_unique<ChannelInfo>();
    if (IO::File::New(info->file, file.Location(), IO::File::Fail) != NoError ||
        info->file->Open(IO::File::ReadMode) != NoError) {
        return nullptr;
    }
    return info;
}

void RawLinePass(benchmark::State& state) {
    std::vector<char> block(64 * 1024);
    for (auto _ : state) {
        const int fd = open(million->path.c_str(), O_RDONLY | O_CLOEXEC);
        size_t lines = 0;
        ssize_t got;
        while ((got = read(fd, block.data(), block.size())) > 0) {
            for (const char *p = block.data(), *end = p + got;
                 (p = static_cast<const char*>(std::memchr(p, '\r', size_t(end - p)))); ++p) {
                ++lines;
            }
        }
        close(fd);
        benchmark::DoNotOptimize(lines);
    }
}

void Load(benchmark::State& state) {
    for (auto _ : state) {
        auto info = OpenChannel(*million);
        if (info) EnsureLoaded(*info);
        if (!info || !info->loaded) state.SkipWithError("load failed");
    }
}

void SkipAllLines(benchmark::State& state) {
    for (auto _ : state) {
        auto info = OpenChannel(*million);
        if (info) SkipLines(*info, INT32_MAX);  // the loader skips runs of lines
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

void FetchMessage(char* buffer, Int16, Int16, GSResModule) {
    buffer[0] = '\0';
}
GSErrCode FillServiceRecord(InterpreterServiceRecord* record) {
    std::memset(record, 0, sizeof *record);
    record->messageStringFetcher = FetchMessage;
    return NoError;
}

void Input(benchmark::State& state) {
    HostEnvironment environment{};
    environment.serviceRecord = FillServiceRecord;
    BindHostEnvironment(&environment);
    std::unique_ptr<IO::File> file = std::move(OpenChannel(*million)->file);
    ClaimChannel(1, file, OpenSettings{}, false, false);
    std::vector<ZR::UniString> keys;
    for (size_t line : RandomLines(4096)) keys.emplace_back(million->Key(line).c_str());
    const ZR::UniString fieldId("1");
    ZR::Array<OmbraValueRecord> values;
    ZR::Array<ZR::UniString> strings;
    Int32 read = 0;
    InputFromChannel(1, keys[0], fieldId, 1, &read, &values, &strings);  // loads the index
    size_t i = 0;
    for (auto _ : state) {
        if (InputFromChannel(1, keys[i], fieldId, 1, &read, &values, &strings) != 0 || read != 1) {
            state.SkipWithError("INPUT failed");
        }
        i = (i + 1) % keys.size();
    }
    ReleaseChannel(1, file);
}

// Heap held by the loaded index of `file`.
void IndexMemory(benchmark::State& state, const DataFile& file) {
    for (auto _ : state) {
        const size_t before = mallinfo2().uordblks;
        auto info = OpenChannel(file);
        if (info) EnsureLoaded(*info);
        if (!info || !info->loaded) state.SkipWithError("load failed");
        state.counters["IndexBytes"] = double(mallinfo2().uordblks - before);
        state.counters["SampleKeys"] = double(info->recordKeys.GetSize());
        state.counters["FileBytes"] = double(file.bytes);
    }
}

// Prints as usual, then each measured benchmark's time against its floor's.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
            double& best = fastest[run.run_name.function_name];
            best = std::min(best == 0 ? std::numeric_limits<double>::infinity() : best,
                            run.GetAdjustedCPUTime());
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void PrintRatio(const char* measured, const char* floor, double goal) const {
        const auto m = fastest.find(measured), f = fastest.find(floor);
        if (m == fastest.end() || f == fastest.end()) return;
        std::printf("%s / %s: %.2f (goal <= %.1f)\n", measured, floor, m->second / f->second, goal);
    }

private:
    std::map<std::string, double> fastest;  // CPU time per iteration: steadier on a busy machine
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    std::string pattern = std::filesystem::temp_directory_path().string() + "/store-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) return 1;
    folder = pattern;
    million = std::make_unique<DataFile>(folder, 1000000);
    benchmark::RegisterBenchmark("RawLinePass", RawLinePass)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Load", Load)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("DecodeAllLines", DecodeAllLines)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("SkipAllLines", SkipAllLines)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("PreadLine", PreadLine);
    benchmark::RegisterBenchmark("Input", Input);
    benchmark::RegisterBenchmark("IndexMemory1M", IndexMemory, std::cref(*million))->Iterations(1);
    std::unique_ptr<DataFile> tenMillion;
    if (std::getenv("OMBRA_BENCH_10M") != nullptr) {
        tenMillion = std::make_unique<DataFile>(folder, 10000000);
        benchmark::RegisterBenchmark("IndexMemory10M", IndexMemory, std::cref(*tenMillion))
            ->Iterations(1);
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("Load", "RawLinePass", 4);
    reporter.PrintRatio("Input", "PreadLine", 2);
    reporter.PrintRatio("SkipAllLines", "DecodeAllLines", 1);
    benchmark::Shutdown();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return 0;
}
