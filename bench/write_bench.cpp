// Writing against the floors it is measured by, each measured in the same run (real time: the
// save waits for the disk):
//   Save           SaveDataFile of a sorted 1,000,000-line file with 1023 tail records, against
//                  a plain copy of the file (CopyFile; goal: at most 3x) and a copy made durable
//                  (CopyFileSynced), since the save syncs what it writes;
//   OutputInPlace  OUTPUTs of existing records with values of the same length, on the loaded
//                  channel of the 1,000,000-record file;
//   OutputAppend   OUTPUTs of new records (appended lines), below the compaction threshold;
//   OutputMix      a long random mix of in-place changes, appends and deletions, including the
//                  compactions (save and reload) it triggers;
// each OUTPUT against one pwrite() of a line (PwriteLine).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "extension/frame/channel_table.h"
#include "extension/frame/host_services.h"
#include "extension/store/loading.h"
#include "extension/write/output.h"
#include "extension/write/save.h"

namespace {

using namespace DataOmbraPlugin;

constexpr size_t Lines = 1000000;
constexpr size_t TailRecords = 1023;

std::string folder;
std::string sortedPath;  // the sorted file
std::string tailedPath;  // the sorted file followed by TailRecords changed records
std::string workPath;    // the file under test

std::string Key(size_t i) {
    char key[16];
    std::snprintf(key, sizeof key, "K%09zu", i);
    return key;
}

void WriteBytes(const std::string& path, const std::string& bytes, const char* mode) {
    FILE* out = std::fopen(path.c_str(), mode);
    if (out == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size()) {
        std::abort();
    }
    std::fclose(out);
}

// Lines of 40 bytes with ascending keys (even numbers: odd keys are new records), CR ends.
void MakeFiles() {
    std::string text;
    char line[64];
    for (size_t i = 0; i < Lines; ++i) {
        text.append(line, size_t(std::snprintf(line, sizeof line, "%s\t%03zu.25\tsome text\tred\r",
                                               Key(2 * i).c_str(), i % 977)));
    }
    WriteBytes(sortedPath, text, "wb");
    std::mt19937 random(7);
    std::string tail;
    for (size_t i = 0; i < TailRecords; ++i) {
        const size_t key = 2 * ((i * (Lines / TailRecords)) + random() % 97);
        tail += Key(key + random() % 2) + "\tchanged " + std::to_string(i) + "\r";
    }
    WriteBytes(tailedPath, text + tail, "wb");
}

void CopyBytes(const std::string& from, const std::string& to, bool sync) {
    std::vector<char> block(64 * 1024);
    const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    const int out = open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ssize_t got;
    while ((got = read(in, block.data(), block.size())) > 0) {
        if (write(out, block.data(), size_t(got)) != got) std::abort();
    }
    if (sync) fsync(out);
    close(in);
    close(out);
}

void CopyFile(benchmark::State& state, bool sync) {
    for (auto _ : state) CopyBytes(tailedPath, workPath, sync);
}

IO::Location WorkLocation() {
    return IO::Location(ZR::UniString(workPath.data(), USize(workPath.size()), CC_UTF8));
}

// Claims channel 1 for the work file as OPEN leaves it (open for reading, mode WA) and loads it.
ChannelInfo& ClaimWorkFile() {
    std::unique_ptr<IO::File> file;
    if (IO::File::New(file, WorkLocation(), IO::File::Fail) != NoError ||
        file->Open(IO::File::ReadMode) != NoError) {
        std::abort();
    }
    ClaimChannel(1, file, OpenSettings{DefaultSeparator, ModeWriteAppend}, false, false);
    ChannelInfo& info = *FindChannelRecord(1);
    EnsureLoaded(info);
    if (!info.loaded) std::abort();
    return info;
}

void ReleaseWorkFile() {
    std::unique_ptr<IO::File> file;
    ReleaseChannel(1, file);
}

void Save(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        CopyBytes(tailedPath, workPath, false);
        ChannelInfo& info = ClaimWorkFile();
        if (info.tailIndex.GetSize() != TailRecords + 1) state.SkipWithError("unexpected tail");
        info.modified = 1;
        state.ResumeTiming();
        if (SaveDataFile(info) != NoError || info.modified != 0) state.SkipWithError("failed");
        state.PauseTiming();
        ReleaseWorkFile();
        state.ResumeTiming();
    }
}

void PwriteLine(benchmark::State& state) {
    CopyBytes(sortedPath, workPath, false);
    const int fd = open(workPath.c_str(), O_WRONLY | O_CLOEXEC);
    std::mt19937 random(3);
    const char line[] = "K000000000\t12.25\tsome text\tred\r";
    for (auto _ : state) {
        const off_t offset = off_t(random() % Lines) * 40;
        if (pwrite(fd, line, sizeof line - 1, offset) < 0) state.SkipWithError("pwrite failed");
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

// OUTPUT of `key` with string values, as the interpreter passes them.
Int16 Output(const std::string& key, const char* fieldId, const std::vector<std::string>& texts) {
    ZR::Array<OmbraValueRecord> values;
    ZR::Array<ZR::UniString> strings;
    for (const std::string& text : texts) {
        OmbraValueRecord record{};
        record.valueType = ValueTypeString;
        record.value.stringIndex = strings.GetSize();
        values.Push(record);
        strings.Push(ZR::UniString(text.c_str()));
    }
    return OutputToChannel(1, ZR::UniString(key.c_str()), ZR::UniString(fieldId), &values,
                           &strings);
}

// The kinds of OUTPUT measured; a record's line keeps its length for in-place changes.
enum class Change { InPlace, Append, Mix };

void OutputChanges(benchmark::State& state, Change change) {
    CopyBytes(sortedPath, workPath, false);
    ClaimWorkFile();
    std::mt19937 random(11);
    for (auto _ : state) {
        const size_t record = random() % Lines;
        const int kind = change == Change::Mix ? int(random() % 3) : int(change);
        Int16 status = 0;
        if (kind == int(Change::InPlace)) {
            const std::string number = std::to_string(100 + random() % 900) + ".25";
            status = Output(Key(2 * record), "1", {number, "some text", "red"});
        } else if (kind == int(Change::Append)) {
            status = Output(Key(2 * record + 1), "1", {"new record"});
        } else {
            status = Output(Key(2 * record), "0", {});
        }
        if (status != 0) state.SkipWithError("OUTPUT failed");
    }
    ReleaseWorkFile();
}

// Prints as usual, then each measured benchmark's time against its floor's.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (!run.error_occurred && run.run_type == Run::RT_Iteration) {
                seconds[run.run_name.function_name] =
                    run.GetAdjustedRealTime() * benchmark::GetTimeUnitMultiplier(run.time_unit);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void PrintRatio(const char* measured, const char* floor, const char* goal = "") const {
        const auto m = seconds.find(measured);
        const auto f = seconds.find(floor);
        if (m == seconds.end() || f == seconds.end()) return;
        std::printf("%-14s / %-14s: %7.2f %s\n", measured, floor, m->second / f->second, goal);
    }

private:
    std::map<std::string, double> seconds;  // real time per iteration
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    std::string pattern = std::filesystem::temp_directory_path().string() + "/write-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) return 1;
    folder = pattern;
    sortedPath = folder + "/sorted.txt";
    tailedPath = folder + "/tailed.txt";
    workPath = folder + "/data.txt";
    MakeFiles();
    HostEnvironment environment{};
    environment.serviceRecord = FillServiceRecord;
    BindHostEnvironment(&environment);

    benchmark::RegisterBenchmark("CopyFile", CopyFile, false)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("CopyFileSynced", CopyFile, true)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Save", Save)->Unit(benchmark::kMillisecond)->Iterations(5);
    benchmark::RegisterBenchmark("PwriteLine", PwriteLine)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("OutputInPlace", OutputChanges, Change::InPlace)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("OutputAppend", OutputChanges, Change::Append)
        ->Unit(benchmark::kMicrosecond)
        ->Iterations(TailRecords - 1);  // stays below the compaction
    benchmark::RegisterBenchmark("OutputMix", OutputChanges, Change::Mix)
        ->Unit(benchmark::kMicrosecond)
        ->Iterations(30000);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("Save", "CopyFile", "(goal <= 3)");
    reporter.PrintRatio("Save", "CopyFileSynced");
    reporter.PrintRatio("OutputInPlace", "PwriteLine");
    reporter.PrintRatio("OutputAppend", "PwriteLine");
    reporter.PrintRatio("OutputMix", "PwriteLine");
    benchmark::Shutdown();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return 0;
}
