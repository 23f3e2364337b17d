#include "bench/compare/peak_memory.h"

#include <cstdio>
#include <fstream>

#include "bench/compare/child_process.h"
#include "bench/compare/timing.h"
#include "bench/support/bench_support.h"
#include "extension/frame/channel_info.h"
#include "extension/store/loading.h"

namespace Compare {

double PeakResidentBytes() {
    std::ifstream status("/proc/self/status");
    std::string field;
    double kibibytes = 0;
    while (status >> field) {
        if (field == "VmHWM:" && status >> kibibytes) return kibibytes * 1024;
    }
    return 0;
}

int ReportPeakMemory(const std::string& path) {
    const double before = PeakResidentBytes();
    DataOmbraPlugin::ChannelInfo info;
    info.file = BenchSupport::OpenForReading(path);
    if (info.file) DataOmbraPlugin::EnsureLoaded(info);
    if (!info.loaded) return 1;
    std::printf("%.0f %.0f\n", before, PeakResidentBytes());
    return 0;
}

std::optional<PeakMemory> MeasurePeakMemory(const std::string& path) {
    const std::optional<ProgramRun> run = RunProgram({OwnProgramPath(), "rss", path});
    PeakMemory peak;
    if (!run || run->exitStatus != 0 ||
        std::sscanf(run->output.c_str(), "%lf %lf", &peak.beforeLoad, &peak.withLoad) != 2 ||
        peak.withLoad <= 0) {
        return Fail("memory.peak_rss", "the measuring process failed");
    }
    return peak;
}

}  // namespace Compare
