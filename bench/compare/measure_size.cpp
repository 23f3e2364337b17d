#include "bench/compare/measure_size.h"

#include <cstdio>
#include <filesystem>
#include <optional>

#include "bench/compare/cycle.h"
#include "bench/compare/data_set.h"
#include "bench/compare/file_peers.h"
#include "bench/compare/instructions.h"
#include "bench/compare/module_peer.h"
#include "bench/compare/peak_memory.h"
#include "bench/compare/script_host.h"
#include "bench/compare/sqlite_peer.h"
#include "bench/support/bench_support.h"

namespace Compare {

namespace {

constexpr size_t Lookups = 20000;  // random records looked up, a batch of them a round in turn
constexpr size_t Changes = 4096;   // distinct records changed: four compactions, each reloaded

// A data set and the figures measured on it so far.
struct Session {
    DataSet set;
    std::string folder;
    FigureSet figures;
    int failures = 0;
    bool large = false;  // more than a million records: fewer rounds of the whole-file figures

    void Add(const char* name, const std::optional<double>& value) {
        if (value) {
            figures.Add({set.runRecords, name, *value});
            std::fprintf(stderr, "  %-34s %.6g\n", name, *value);
        } else {
            ++failures;
        }
    }
    std::string File(const char* name) const { return folder + "/" + name; }
    Repeat WholeFile() const { return large ? Repeat{2, 3, 5} : Repeat{3, 10, 2}; }
};

// Single operations: many short rounds of `batch` operations (100 to 500 µs of work), the median.
Repeat ShortRounds(size_t batch) {
    return Repeat{50, 3000, 1, Statistic::Median, batch};
}

// The same record with another quantity of as many digits: its line keeps its length.
Record SameLength(Record record) {
    record.quantity += (record.quantity % 10 == 9) ? -9 : 1;
    return record;
}

// The same record with a longer description: its line no longer fits in place.
Record NewLength(Record record) {
    record.description += " *";
    return record;
}

void MeasureMemory(Session& session) {
    const std::optional<PeakMemory> peak = MeasurePeakMemory(session.set.path);
    session.Add("memory.peak_rss", peak ? std::optional(peak->withLoad) : std::nullopt);
    session.Add("memory.start_rss", peak ? std::optional(peak->beforeLoad) : std::nullopt);
}

void MeasureLoadAndLookup(Session& session, const std::vector<Probe>& probes) {
    const DataSet& set = session.set;
    const std::string database = session.File("records.db");
    session.Add("load.line_pass", LinePass(set, session.WholeFile()));
    session.Add("load.module", ModuleLoad(set, session.WholeFile()));
    session.Add("load.sqlite_import",
                SqliteImport(set, database, session.large ? Repeat{1, 1, 0} : Repeat{1, 3, 5}));
    {
        RecordMap map;
        session.Add("load.unordered_map", BuildRecordMap(set, map));
        session.Add("lookup.unordered_map", FindInRecordMap(map, probes, ShortRounds(256)));
    }
    session.Add("lookup.input", ModuleInput(set.path, probes, ShortRounds(16)));
    session.Add("lookup.pread", PreadLines(set.path, probes, ShortRounds(64)));
    session.Add("lookup.span_pread", PreadSpans(set, probes, ShortRounds(64)));
    session.Add("lookup.sqlite_default",
                SqlitePointSelect(database, probes, false, ShortRounds(4)));
    session.Add("lookup.sqlite_cached", SqlitePointSelect(database, probes, true, ShortRounds(4)));
}

// Runs after MeasureLoadAndLookup, which leaves the database of the records. The batch of a round
// is the cycle's to choose.
void MeasureCycle(Session& session, const std::vector<Probe>& probes) {
    const std::string& path = session.set.path;
    session.Add("cycle.module_warm", ModuleCycle(path, probes, true, ShortRounds(0)));
    session.Add("cycle.module_cold",
                ModuleCycle(path, probes, false, Repeat{5, 50, 2, Statistic::Median}));
    session.Add("cycle.floor", FloorCycle(path, probes, ShortRounds(0)));
    session.Add("cycle.sqlite", SqliteCycle(session.File("records.db"), probes, ShortRounds(0)));
}

// Instructions counted by cachegrind, up to a million records (a load under valgrind is slow).
void MeasureInstructions(Session& session) {
    if (session.large) return;
    session.Add("count.input_instructions",
                InstructionsPerOperation("input", session.set.path, session.set.runRecords,
                                         session.folder));
    session.Add("count.select_instructions",
                InstructionsPerOperation("select", session.File("records.db"),
                                         session.set.runRecords, session.folder));
}

// Runs after MeasureSave, which leaves the compacted data set in work.txt and a plain copy in
// copy.txt.
void MeasureUpdates(Session& session, const std::vector<Probe>& changed) {
    std::vector<Record> inPlace;
    std::vector<Record> appended;
    std::vector<LineWrite> lines;
    for (const Probe& probe : changed) {
        inPlace.push_back(SameLength(probe.record));
        appended.push_back(NewLength(probe.record));
        lines.push_back({probe.offset, RecordText(inPlace.back()) + "\r"});
    }
    session.Add("update.pwrite", PwriteLines(session.File("copy.txt"), lines, ShortRounds(32)));
    session.Add("update.contract_floor",
                ContractFloorWrites(session.File("copy.txt"), lines, ShortRounds(16)));
    const std::string work = session.File("work.txt");
    session.Add("update.output_in_place", ModuleOutputInPlace(work, inPlace, ShortRounds(8)));
    const std::optional<AppendCost> append = ModuleOutputAppend(work, appended);
    session.Add("update.output_append",
                append ? std::optional(append->withoutCompactions) : std::nullopt);
    session.Add("update.output_append_compacting",
                append ? std::optional(append->withCompactions) : std::nullopt);
    const std::string database = session.File("records.db");
    session.Add("update.sqlite_autocommit",
                SqliteUpsert(database, appended, false, ShortRounds(1)));
    session.Add("update.sqlite_transaction",
                SqliteUpsert(database, appended, true, Repeat{3, 10, 2}));
    session.Add("update.sqlite_wal", SqliteUpsertWal(database, appended, ShortRounds(4)));
}

void MeasureSave(Session& session) {
    const DataSet& set = session.set;
    session.Add("save.copy",
                CopyFile(set.path, session.File("copy.txt"), false, session.WholeFile()));
    session.Add("save.copy_synced",
                CopyFile(set.path, session.File("copy.txt"), true, session.WholeFile()));
    session.Add("save.close", ModuleClose(set, session.File("work.txt"), session.WholeFile()));
}

void MeasureScript(Session& session, const std::string& ombra) {
    session.Add("cycle.ombra_warm",
                OmbraCycle(session.set, ombra, session.folder, Repeat{2, 5, 3}));
    session.Add("count.cycle_syscalls", OmbraCycleSystemCalls(session.set, ombra, session.folder));
    const std::optional<ScriptCost> cost =
        MeasureScriptHost(session.set, ombra, session.folder, Repeat{2, 5, 3});
    session.Add("script.ombra_loop", cost ? std::optional(cost->ombraPerPass) : std::nullopt);
    session.Add("script.direct_loop", cost ? std::optional(cost->directPerPass) : std::nullopt);
    session.Add("script.statement_overhead",
                cost ? std::optional((cost->ombraPerPass - cost->directPerPass) / StatementsPerPass)
                     : std::nullopt);
}

}  // namespace

FigureSet MeasureSize(const SizeRun& run, int& failures) {
    Session session;
    session.folder = run.folder;
    session.large = run.records > 1000000;
    std::fprintf(stderr, "%zu records: generating\n", run.records);
    session.set = WriteDataSet(session.File("data.txt"), run.records);
    const std::vector<Probe> probes = PickProbes(session.set, Lookups, 1, false);
    const std::vector<Probe> changed = PickProbes(session.set, Changes, 2, true);
    if (probes.empty() || changed.empty()) {
        std::fprintf(stderr, "cannot read the records back from %s\n", session.set.path.c_str());
        failures = 1;
        return {};
    }
    BenchSupport::PrepareCore();
    MeasureMemory(session);
    MeasureLoadAndLookup(session, probes);
    MeasureCycle(session, probes);
    MeasureInstructions(session);
    MeasureSave(session);
    MeasureUpdates(session, changed);
    if (!run.ombra.empty()) MeasureScript(session, run.ombra);
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(run.folder, ignored)) {
        std::filesystem::remove_all(entry.path(), ignored);
    }
    failures = session.failures;
    return session.figures;
}

}  // namespace Compare
