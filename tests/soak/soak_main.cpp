// The crash soak: runs ombra on generated writing scripts, kills it with SIGKILL at random
// moments, and checks after every kill that the data file holds every record whose OUTPUT had
// completed (a record whose OUTPUT was under way may be old or new). The next round goes on from
// the file as the kill left it.
//
//   soak_harness --ombra PATH [--kills N] [--seed S] [--folder DIR]
//
// Exit status 0 when every check held; 1 on the first round that failed (its data file is kept
// as failed-ROUND.txt in the folder, which then stays); 2 on a usage error.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "tests/soak/soak_check.h"
#include "tests/soak/soak_process.h"

namespace {

struct Options {
    std::string ombra;
    std::string folder;  // made in the temporary folder when not given
    int kills = 1000;
    std::uint64_t seed = 1;
};

struct Totals {
    int kills = 0;
    int rounds = 0;
    long recordsChecked = 0;
    long stepsCompleted = 0;
    int killsInSaves = 0;  // kills that left a temporary file of a save behind
    std::filesystem::file_time_type lastTemporary;
};

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int index = 1; index + 1 < argc; index += 2) {
        const std::string name = argv[index];
        const char* value = argv[index + 1];
        if (name == "--ombra")
            options.ombra = value;
        else if (name == "--folder")
            options.folder = value;
        else if (name == "--kills")
            options.kills = std::atoi(value);
        else if (name == "--seed")
            options.seed = std::strtoull(value, nullptr, 10);
        else
            return false;
    }
    return argc % 2 == 1 && !options.ombra.empty() && options.kills > 0;
}

bool MakeFolder(Options& options) {
    if (!options.folder.empty())
        return std::filesystem::create_directories(options.folder) ||
               std::filesystem::is_directory(options.folder);
    std::string pattern = (std::filesystem::temp_directory_path() / "soak-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) return false;
    options.folder = pattern;
    return true;
}

// The records the data file holds, read through the module; none before the file exists.
bool ObserveRecords(const Soak::Launch& launch, const Soak::PlanShape& shape,
                    Soak::Records& observed, std::string& error) {
    if (!std::filesystem::exists(launch.folder + "/" + Soak::DataFileName)) return true;
    std::string output;
    return Soak::RunToEnd(launch, Soak::ReadingScript(shape), output, error) &&
           Soak::ParseRecords(output, shape, observed, error);
}

// A save that the kill interrupted leaves its temporary file; one left earlier may still be there
// unchanged, so it counts only when it was written since it was last seen.
void CountSaveKill(const Soak::Launch& launch, Totals& totals) {
    std::error_code error;
    const auto written =
        std::filesystem::last_write_time(launch.folder + "/" + Soak::DataFileName + ".tmp", error);
    if (error || written == totals.lastTemporary) return;
    totals.lastTemporary = written;
    ++totals.killsInSaves;
}

int Fail(const Soak::Launch& launch, int round, const std::string& what) {
    const std::string kept = launch.folder + "/failed-" + std::to_string(round) + ".txt";
    std::error_code ignored;
    std::filesystem::copy_file(launch.folder + "/" + Soak::DataFileName, kept, ignored);
    std::fprintf(stderr, "soak: round %d failed: %s\nsoak: kept in %s\n", round, what.c_str(),
                 launch.folder.c_str());
    return 1;
}

// One round: plan, run and kill, read back, check. Returns the failure text, empty when it held.
std::string RunRound(const Soak::Launch& launch, const Soak::PlanShape& shape, Soak::Records& model,
                     std::mt19937_64& random, Totals& totals) {
    const std::vector<Soak::Step> steps = Soak::PlanRound(shape, totals.rounds, random);
    Soak::KillPoint point;
    point.afterMark = int(random() % std::uint64_t(shape.stepsPerRound * 5 / 8));
    point.delayMicros = int(random() % 3000);
    const Soak::WritingRun run = Soak::RunAndKill(launch, Soak::WritingScript(steps), point);
    if (run.failed) return run.error + " (see ombra.log)";
    if (run.killed) CountSaveKill(launch, totals);
    Soak::Records observed;
    std::string error;
    if (!ObserveRecords(launch, shape, observed, error)) return error;
    const Soak::RoundCheck check = Soak::CheckRound(model, steps, run.lastMark, observed, shape);
    totals.recordsChecked += check.recordsChecked;
    totals.stepsCompleted += run.lastMark;
    totals.kills += run.killed ? 1 : 0;
    if (check.failures.empty()) return {};
    std::string text = std::to_string(check.failures.size()) + " records wrong after mark " +
                       std::to_string(run.lastMark);
    for (std::size_t index = 0; index < check.failures.size() && index < 10; ++index)
        text += "\n  " + check.failures[index];
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: %s --ombra PATH [--kills N] [--seed S] [--folder DIR]\n",
                     argv[0]);
        return 2;
    }
    if (!MakeFolder(options)) return Fail({options.ombra, options.folder}, 0, "no folder");
    const Soak::Launch launch{options.ombra, options.folder};
    const Soak::PlanShape shape;
    std::mt19937_64 random(options.seed);
    Soak::Records model;
    Totals totals;
    // A round that ends before its kill point counts no kill; the bound only stops a harness
    // whose kills never land.
    for (; totals.kills < options.kills && totals.rounds < 4 * options.kills; ++totals.rounds) {
        const std::string failure = RunRound(launch, shape, model, random, totals);
        if (!failure.empty()) return Fail(launch, totals.rounds, failure);
    }
    std::printf(
        "soak: %d kills in %d rounds (%d during a save), %ld records checked, %ld "
        "completed steps, %zu records at the end, 0 failures\n",
        totals.kills, totals.rounds, totals.killsInSaves, totals.recordsChecked,
        totals.stepsCompleted, model.size());
    std::filesystem::remove_all(options.folder);
    return totals.kills == options.kills ? 0 : 1;
}
