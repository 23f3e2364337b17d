// The crash soak: runs ombra on generated writing scripts, kills it with SIGKILL at random
// moments, and checks after every kill that the data file holds every record whose OUTPUT had
// completed (the one under way may be old or new). The next round goes on from the file as the
// kill left it.
//
//   soak_harness --ombra PATH [--kills N] [--seed S]
//
// Exit status 0 when every check held; 1 on the first round that failed (its data file is kept
// as failed-ROUND.txt in the temporary folder, which then stays); 2 on a usage error.
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/data_file_model.h"

namespace {

using OmbraTest::Records;

constexpr int KeyCount = 1500;       // enough distinct tail keys for compactions
constexpr int StepsPerRound = 4000;  // a round is usually killed long before its end
const std::string OpenLine = "ch = OPEN(\"DATA\", \"soak.txt\", \"SEPARATOR=';', MODE=";

// A step of a writing script is an OUTPUT of a value, a deletion (no value), or CLOSE and a new
// OPEN of the channel (no key, no value: the model then changes nothing).
using Step = OmbraTest::Change;

std::string KeyOf(int index) {  // k0000, k0001, ...
    return "k" + std::to_string(10000 + index).substr(1);
}

// Values name the round and the step, padded to varying lengths so that some changes are
// written in place and others appended. Mark N is printed after step N.
std::string WritingScript(int round, std::mt19937_64& random, std::vector<Step>& steps) {
    std::string script = OpenLine + "WA\")\n";
    for (int n = 1; n <= StepsPerRound; ++n) {
        Step step;
        if (random() % 1000 < 3) {
            script += "CLOSE ch\n" + OpenLine + "WA\")\n";
        } else {
            step.key = KeyOf(int(random() % KeyCount));
            if (random() % 100 >= 15) {
                step.value = "r" + std::to_string(round) + "s" + std::to_string(n) +
                             std::string(random() % 10, 'x');
            }
            script += "OUTPUT ch, \"" + step.key + "\", " +
                      (step.value ? "1, \"" + *step.value + "\"" : "0") + "\n";
        }
        script += "PRINT " + std::to_string(n) + "\n";
        steps.push_back(step);
    }
    return script + "CLOSE ch\n";
}

// Every key's line "KEY COUNT [VALUE]".
std::string ReadingScript() {
    std::string script = OpenLine + "RO\")\n";
    for (int i = 0; i < KeyCount; ++i) {
        const std::string key = KeyOf(i);
        script += "v = \"\"\nn = INPUT(ch, \"" + key + "\", 1, v)\nPRINT \"" + key + "\", n, v\n";
    }
    return script + "CLOSE ch\n";
}

class Soak {
public:
    Soak(std::string ombra, std::string folder)
        : ombra(std::move(ombra)), folder(std::move(folder)) {}

    // Runs `script` to its end, or kills it after `killMillis` (0: no limit).
    OmbraTest::ChildResult Run(const std::string& script, int killMillis) const {
        std::ofstream(folder + "/script.omb", std::ios::binary | std::ios::trunc) << script;
        return OmbraTest::RunProgram(
            {{ombra, "--base", folder, folder + "/script.omb"}, "", false, "", {}, killMillis});
    }

    // One round: plan, run and kill, read back, check. The failure text, empty when it held.
    std::string Round(int round, std::mt19937_64& random, bool& killed) {
        std::vector<Step> steps;
        const std::string script = WritingScript(round, random, steps);
        // The first round runs to its end and times a whole round; later ones are killed at a
        // random moment within the first five eighths of it.
        const int killMillis = fullRound == 0 ? 0 : 1 + int(random() % (fullRound * 5 / 8 + 1));
        const auto start = std::chrono::steady_clock::now();
        const OmbraTest::ChildResult run = Run(script, killMillis);
        killed = run.signal == SIGKILL;
        if (!killed && run.Status() != 0)
            return "ombra ended with status " + std::to_string(run.Status()) + ": " + run.err;
        if (fullRound == 0)
            fullRound = int(std::chrono::duration_cast<std::chrono::milliseconds>(
                                std::chrono::steady_clock::now() - start)
                                .count()) +
                        1;
        int lastMark = 0;
        // Marks of complete lines only: the kill may cut the last one short.
        std::istringstream marks(run.out.substr(0, run.out.rfind('\n') + 1));
        for (std::string line; std::getline(marks, line);) lastMark = std::atoi(line.c_str());
        Records observed;
        if (std::filesystem::exists(folder + "/soak.txt")) {
            const OmbraTest::ChildResult read = Run(ReadingScript(), 0);
            if (read.Status() != 0) return "the reading script failed: " + read.err;
            std::istringstream lines(read.out);
            int index = 0;
            for (std::string line; std::getline(lines, line); ++index) {
                std::istringstream fields(line);
                std::string key, value;
                int count = -1;
                fields >> key >> count;
                if (count == 1 && fields >> value) observed[key] = value;
                if (key != KeyOf(index) || !(count == 0 || !value.empty()))
                    return "unexpected line of the reading script: " + line;
            }
            if (index != KeyCount)
                return "the reading script showed " + std::to_string(index) + " keys";
        }
        for (int n = 1; n <= lastMark; ++n) OmbraTest::Apply(model, steps[std::size_t(n - 1)]);
        std::vector<Records> states = {model, model};
        if (lastMark < StepsPerRound) OmbraTest::Apply(states[1], steps[std::size_t(lastMark)]);
        checked += KeyCount;
        completed += lastMark;
        if (!OmbraTest::FindState(observed, states, 0, 1))
            return "after mark " + std::to_string(lastMark) + " the file holds " +
                   OmbraTest::Describe(observed) + ", expected " + OmbraTest::Describe(states[0]) +
                   " or, with the step under way, " + OmbraTest::Describe(states[1]);
        model = observed;
        return {};
    }

    const std::string ombra, folder;
    Records model;
    int fullRound = 0;
    long checked = 0, completed = 0;
};

}  // namespace

int main(int argc, char** argv) {
    std::string ombra;
    int kills = 1000;
    std::uint64_t seed = 1;
    bool usage = argc % 2 == 1;
    for (int i = 1; usage && i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        if (name == "--ombra")
            ombra = argv[i + 1];
        else if (name == "--kills")
            kills = std::atoi(argv[i + 1]);
        else if (name == "--seed")
            seed = std::strtoull(argv[i + 1], nullptr, 10);
        else
            usage = false;
    }
    if (!usage || ombra.empty() || kills <= 0) {
        std::fprintf(stderr, "usage: %s --ombra PATH [--kills N] [--seed S]\n", argv[0]);
        return 2;
    }
    std::string folder = (std::filesystem::temp_directory_path() / "soak-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) {
        std::perror("soak: no folder");
        return 1;
    }
    Soak soak(ombra, folder);
    std::mt19937_64 random(seed);
    int killed = 0, round = 0;
    // A round that ends before its kill counts none; the bound stops a harness whose kills
    // never land.
    for (; killed < kills && round < 4 * kills; ++round) {
        bool wasKilled = false;
        const std::string failure = soak.Round(round, random, wasKilled);
        killed += wasKilled;
        if (failure.empty()) continue;
        std::error_code ignored;
        std::filesystem::copy_file(folder + "/soak.txt",
                                   folder + "/failed-" + std::to_string(round) + ".txt", ignored);
        std::fprintf(stderr, "soak: round %d failed: %s\nsoak: kept in %s\n", round,
                     failure.c_str(), folder.c_str());
        return 1;
    }
    std::printf(
        "soak: %d kills in %d rounds, %ld records checked, %ld completed steps, %zu "
        "records at the end, 0 failures\n",
        killed, round, soak.checked, soak.completed, soak.model.size());
    std::filesystem::remove_all(folder);
    return killed == kills ? 0 : 1;
}
