// The line reader against a raw pass over the same file. The raw pass reads 64 KiB blocks and
// counts carriage returns with memchr: no decoding, no line objects, the floor for any reader.
// The ratios of the readers' times to it are printed after the run.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/utility.h"

namespace {

constexpr size_t LineCount = 1000000;

// A data file of LineCount lines of about 40 bytes, keys ascending, each ended by CR.
class DataFile {
public:
    DataFile() {
        std::string pattern = std::filesystem::temp_directory_path().string() + "/lines-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        folder = pattern;
        path = folder + "/data.txt";
        std::string text;
        char line[64];
        for (size_t i = 0; i < LineCount; ++i) {
            const int length = std::snprintf(line, sizeof line,
                                             "K%08zu\t%zu.25\tsome field text\tred\r", i, i % 977);
            text.append(line, size_t(length));
        }
        FILE* out = std::fopen(path.c_str(), "wb");
        if (out == nullptr || std::fwrite(text.data(), 1, text.size(), out) != text.size())
            std::abort();
        std::fclose(out);
    }
    ~DataFile() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    std::string folder;
    std::string path;
};

DataFile* data = nullptr;

void CheckCount(benchmark::State& state, size_t lines) {
    if (lines != LineCount) state.SkipWithError("wrong number of lines");
}

void RawPass(benchmark::State& state) {
    std::vector<char> block(64 * 1024);
    for (auto _ : state) {
        const int fd = open(data->path.c_str(), O_RDONLY | O_CLOEXEC);
        size_t lines = 0;
        ssize_t got;
        while ((got = read(fd, block.data(), block.size())) > 0) {
            const char* p = block.data();
            const char* const end = p + got;
            while ((p = static_cast<const char*>(std::memchr(p, '\r', size_t(end - p)))) !=
                   nullptr) {
                ++lines;
                ++p;
            }
        }
        close(fd);
        CheckCount(state, lines);
    }
}

void LineReader(benchmark::State& state, bool utf8) {
    const IO::Location location(
        ZR::UniString(data->path.data(), USize(data->path.size()), CC_UTF8));
    for (auto _ : state) {
        std::unique_ptr<IO::File> file;
        if (IO::File::New(file, location, IO::File::Fail) != NoError ||
            file->Open(IO::File::ReadMode) != NoError) {
            state.SkipWithError("cannot open the data file");
            break;
        }
        ZR::UniString line;
        size_t lines = 0;
        while (IOUtil::GetTextLine(*file, line, utf8) == NoError) ++lines;
        benchmark::DoNotOptimize(line);
        if (file->Close() != NoError) state.SkipWithError("close failed");
        CheckCount(state, lines);
    }
}

BENCHMARK(RawPass)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LineReader, default_code_page, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LineReader, utf8, true)->Unit(benchmark::kMillisecond);

// Prints as usual and keeps the fastest time per iteration of each benchmark, wall clock and
// CPU (on a busy machine the CPU ratio is the steadier one).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
            Times& times = fastest[run.run_name.function_name];
            times.real = std::min(times.real, run.GetAdjustedRealTime());
            times.cpu = std::min(times.cpu, run.GetAdjustedCPUTime());
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintRatios() const {
        const auto raw = fastest.find("RawPass");
        if (raw == fastest.end()) return;
        for (const auto& [name, times] : fastest) {
            if (name == "RawPass") continue;
            std::printf("%s / RawPass: %.2f real, %.2f CPU\n", name.c_str(),
                        times.real / raw->second.real, times.cpu / raw->second.cpu);
        }
    }

private:
    struct Times {
        double real = std::numeric_limits<double>::infinity();
        double cpu = std::numeric_limits<double>::infinity();
    };
    std::map<std::string, Times> fastest;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    DataFile file;
    data = &file;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
