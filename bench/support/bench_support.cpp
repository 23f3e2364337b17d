#include "bench/support/bench_support.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "extension/entry/init.h"
#include "extension/frame/host_services.h"
#include "platform/base/module_instance.h"
#include "platform/extension_host/string_fetchers.h"

namespace BenchSupport {

namespace {

// The bench program stands for the module file: its resources are linked into it.
constexpr char programAnchor = 0;

ZRErrCode FillServiceRecord(InterpreterServiceRecord* record) {
    std::memset(record, 0, sizeof *record);
    record->fixedStringFetcher = FetchFixedString;
    record->messageStringFetcher = FetchMessageString;
    return NoError;
}

// A report means a measured operation failed, so its figure would time an error path: the first
// one is shown, so that a broken set-up cannot pass for a measurement.
void ShowFirstReport(const char* text, UInt8, Int32) {
    static bool shown = false;
    if (shown) return;
    shown = true;
    std::fprintf(stderr, "bench: the module reported: %s\n", text);
}

void AppendToFile(const std::string& path, const std::string& bytes, const char* mode) {
    FILE* out = std::fopen(path.c_str(), mode);
    if (out == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size()) {
        std::abort();
    }
    std::fclose(out);
}

}  // namespace

void PrepareCore() {
    static const bool prepared = [] {
        DataOmbraPlugin::RecordModuleInstance(ModuleInstanceOfAddress(&programAnchor));
        static HostEnvironment environment{};
        environment.report = ShowFirstReport;
        environment.serviceRecord = FillServiceRecord;
        // OPEN reads its keywords from the tables InitExtension fills, as after a real host's
        // binding.
        return DataOmbraPlugin::BindHostEnvironment(&environment) == NoError &&
               DataOmbraPlugin::InitExtension() == NoError;
    }();
    if (!prepared) {
        std::fprintf(stderr, "bench: the module's keyword tables could not be loaded\n");
        std::abort();
    }
}

TempFolder::TempFolder(const char* prefix) {
    std::string pattern = std::filesystem::temp_directory_path().string() + "/" + prefix;
    pattern += "-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    path = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

std::string Key(size_t number) {
    char key[24];
    std::snprintf(key, sizeof key, "K%09zu", number);
    return key;
}

std::vector<size_t> WriteDataFile(const std::string& path, size_t lines,
                                  const std::function<void(size_t, std::string&)>& appendLine) {
    std::vector<size_t> offsets;
    offsets.reserve(lines);
    std::string text;
    size_t written = 0;
    const char* mode = "wb";
    for (size_t i = 0; i < lines; ++i) {
        offsets.push_back(written + text.size());
        appendLine(i, text);
        if (text.size() > (1u << 24) || i + 1 == lines) {
            AppendToFile(path, text, mode);
            mode = "ab";
            written += text.size();
            text.clear();
        }
    }
    if (lines == 0) AppendToFile(path, text, mode);
    return offsets;
}

std::unique_ptr<IO::File> OpenForReading(const std::string& path) {
    std::unique_ptr<IO::File> file;
    if (IO::File::New(file, IO::Location::FromPath(path), IO::File::Fail) != NoError ||
        file->Open(IO::File::ReadMode) != NoError) {
        return nullptr;
    }
    return file;
}

size_t RawLinePass(const std::string& path, char lineEnd) {
    std::vector<char> block(64 * 1024);
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    size_t lines = 0;
    ssize_t got;
    while ((got = read(fd, block.data(), block.size())) > 0) {
        for (const char *p = block.data(), *end = p + got;
             (p = static_cast<const char*>(std::memchr(p, lineEnd, size_t(end - p)))); ++p) {
            ++lines;
        }
    }
    close(fd);
    return lines;
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

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
    for (const Run& run : runs) {
        if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
        const double time =
            (clock == Clock::Cpu ? run.GetAdjustedCPUTime() : run.GetAdjustedRealTime()) *
            benchmark::GetTimeUnitMultiplier(run.time_unit);
        const auto known = seconds.find(run.run_name.function_name);
        if (known == seconds.end()) {
            seconds[run.run_name.function_name] = time;
        } else {
            known->second = std::min(known->second, time);
        }
    }
    ConsoleReporter::ReportRuns(runs);
}

void RatioReporter::PrintRatio(const char* measured, const char* floor, const char* goal) const {
    const auto m = seconds.find(measured);
    const auto f = seconds.find(floor);
    if (m == seconds.end() || f == seconds.end()) return;
    std::printf("%-14s / %-14s: %7.2f %s\n", measured, floor, m->second / f->second, goal);
}

}  // namespace BenchSupport
