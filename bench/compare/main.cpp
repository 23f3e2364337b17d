// compare_bench: the module against its peers (an embedded SQL database, a hash map in memory)
// and the limits of the file system, each figure beside its baselines of the same run.
//
//   compare_bench measure RECORDS FOLDER FIGURES [OMBRA]
//       generates a data set of RECORDS sorted records (and an unsorted tail) in FOLDER,
//       measures every figure of that size and writes them to FIGURES; OMBRA is the script host
//       whose overhead is measured (skipped when not given)
//   compare_bench report MODE JSON MARKDOWN PLOT FIGURES...
//       evaluates the goals over the figures of all sizes and writes the results as JSON, as a
//       Markdown table and as the plot's data columns; MODE ("full" or "quick") is recorded
//   compare_bench rss PATH
//       (used by measure) loads PATH in this fresh process and prints its peak memory
//   compare_bench operations KIND PATH RUNRECORDS COUNT
//       (used by measure, under valgrind) makes COUNT INPUTs ("input") or SQLite point SELECTs
//       ("select") of pseudo-random run records, after one that loads
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/compare/goals.h"
#include "bench/compare/instructions.h"
#include "bench/compare/measure_size.h"
#include "bench/compare/peak_memory.h"
#include "bench/compare/report.h"

namespace {

using namespace Compare;

// The figures drawn in the plot, in the columns of its data file.
const std::vector<std::string> PlottedFigures = {"cycle.module_warm",
                                                 "cycle.module_cold",
                                                 "cycle.ombra_warm",
                                                 "cycle.floor",
                                                 "cycle.sqlite",
                                                 "load.module",
                                                 "load.line_pass",
                                                 "load.sqlite_import",
                                                 "lookup.input",
                                                 "lookup.pread",
                                                 "lookup.sqlite_default",
                                                 "lookup.sqlite_cached",
                                                 "lookup.unordered_map",
                                                 "update.output_in_place",
                                                 "update.output_append",
                                                 "update.output_append_compacting",
                                                 "update.pwrite",
                                                 "update.contract_floor",
                                                 "update.sqlite_wal",
                                                 "update.sqlite_transaction"};

int Usage() {
    std::fprintf(stderr,
                 "usage: compare_bench measure RECORDS FOLDER FIGURES [OMBRA]\n"
                 "       compare_bench report MODE JSON MARKDOWN PLOT FIGURES...\n");
    return 2;
}

bool WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    out.close();
    if (!out) std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return bool(out);
}

int Measure(int argc, char** argv) {
    if (argc < 5 || argc > 6) return Usage();
    SizeRun run;
    run.records = std::strtoull(argv[2], nullptr, 10);
    run.folder = argv[3];
    if (argc == 6) run.ombra = argv[5];
    if (run.records < 2) return Usage();
    int failures = 0;
    const FigureSet figures = MeasureSize(run, failures);
    std::string text;
    for (const Figure& figure : figures.All()) text += FormatFigureLine(figure);
    if (!WriteText(argv[4], text)) return 1;
    if (failures > 0) std::fprintf(stderr, "%d figures could not be measured\n", failures);
    return failures > 0 ? 1 : 0;
}

std::string UtcNow() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M UTC", &utc);
    return text;
}

// The processor's model name and the number of cores online.
std::string Machine() {
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line;
    std::string model = "unknown processor";
    while (std::getline(cpuinfo, line)) {
        const size_t colon = line.find(':');
        if (line.rfind("model name", 0) == 0 && colon != line.npos) {
            model = line.substr(colon + 2);
            break;
        }
    }
    return model + ", " + std::to_string(sysconf(_SC_NPROCESSORS_ONLN)) + " cores";
}

int Report(int argc, char** argv) {
    if (argc < 7) return Usage();
    FigureSet figures;
    for (int i = 6; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        std::string error;
        if (!in || !ParseFigures(text.str(), figures, error)) {
            std::fprintf(stderr, "%s: %s\n", argv[i], in ? error.c_str() : "cannot read");
            return 1;
        }
    }
    const RunInfo run{UtcNow(), argv[2], Machine()};
    const std::vector<GoalResult> goals = EvaluateGoals(GoalRules(), figures);
    const bool written = WriteText(argv[3], ResultsJson(run, figures, goals)) &&
                         WriteText(argv[4], ResultsMarkdown(run, figures, goals)) &&
                         WriteText(argv[5], PlotColumns(figures, PlottedFigures));
    return written ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "measure") return Measure(argc, argv);
    if (mode == "report") return Report(argc, argv);
    if (mode == "rss" && argc == 3) return ReportPeakMemory(argv[2]);
    if (mode == "operations" && argc == 6) {
        return RunOperations(argv[2], argv[3], std::strtoull(argv[4], nullptr, 10),
                             std::atoi(argv[5]));
    }
    return Usage();
}
