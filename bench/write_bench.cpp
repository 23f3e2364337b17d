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

#include "bench/support/bench_support.h"
#include "extension/entry/output.h"
#include "extension/frame/channel_table.h"
#include "extension/store/loading.h"
#include "extension/write/save.h"

namespace {

using namespace DataOmbraPlugin;
using namespace BenchSupport;

constexpr size_t Lines = 1000000;
constexpr size_t TailRecords = 1023;

std::string sortedPath;  // the sorted file
std::string tailedPath;  // the sorted file followed by TailRecords changed records
std::string workPath;    // the file under test

// Lines of 40 bytes with ascending keys (even numbers: odd keys are new records), CR ends.
void MakeFiles() {
    const auto sortedLine = [](size_t i, std::string& text) {
        char line[64];
        text.append(line, size_t(std::snprintf(line, sizeof line, "%s\t%03zu.25\tsome text\tred\r",
                                               Key(2 * i).c_str(), i % 977)));
    };
    WriteDataFile(sortedPath, Lines, sortedLine);
    std::mt19937 random(7);
    std::vector<std::string> tail;
    for (size_t i = 0; i < TailRecords; ++i) {
        const size_t key = 2 * ((i * (Lines / TailRecords)) + random() % 97);
        tail.push_back(Key(key + random() % 2) + "\tchanged " + std::to_string(i) + "\r");
    }
    WriteDataFile(tailedPath, Lines + TailRecords, [&](size_t i, std::string& text) {
        if (i < Lines) {
            sortedLine(i, text);
        } else {
            text += tail[i - Lines];
        }
    });
}

void CopyFile(benchmark::State& state, bool sync) {
    for (auto _ : state) CopyBytes(tailedPath, workPath, sync);
}

// Claims channel 1 for the work file as OPEN leaves it (open for reading, mode WA) and loads it.
ChannelInfo& ClaimWorkFile() {
    std::unique_ptr<IO::File> file = OpenForReading(workPath);
    if (!file) std::abort();
    ClaimChannel(1, FindChannelRecord(1), file, OpenSettings{DefaultSeparator, ModeWriteAppend},
                 false, false);
    ChannelInfo& info = *FindChannelRecord(1);
    EnsureLoaded(info);
    if (!info.loaded) std::abort();
    return info;
}

void ReleaseWorkFile() {
    std::unique_ptr<IO::File> file;
    ReleaseChannel(*FindChannelRecord(1), file);
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

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    const TempFolder folder("write");
    sortedPath = folder.Path() + "/sorted.txt";
    tailedPath = folder.Path() + "/tailed.txt";
    workPath = folder.Path() + "/data.txt";
    MakeFiles();
    PrepareCore();

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
    RatioReporter reporter(RatioReporter::Clock::Real);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("Save", "CopyFile", "(goal <= 3)");
    reporter.PrintRatio("Save", "CopyFileSynced");
    reporter.PrintRatio("OutputInPlace", "PwriteLine");
    reporter.PrintRatio("OutputAppend", "PwriteLine");
    reporter.PrintRatio("OutputMix", "PwriteLine");
    benchmark::Shutdown();
    return 0;
}
