// Every file-system call of each operation, and of sequences of them, is a point where the
// process ends abruptly (in a child process). A crash must keep every step that returned and
// leave the step under way done or not done; a power loss, replayed by dropping what was not
// synced, must never leave a garbled file, and a save must come out whole: the records of before
// or of after it. How often a power loss keeps the last step is printed, not asserted: OUTPUT
// does not sync.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "tests/reliability/sweep.h"
#include "tests/support/child_process.h"

namespace Reliability {
namespace {

namespace fs = std::filesystem;
using Faults::Op;

// A power loss replayed on a real folder. The journal follows the file-system calls of a run and
// remembers what the disk would keep: per file, its content as of its last sync; per folder, its
// entries as of its last folder sync. At the power loss it puts the folder back to that.
// A rename must be of a temporary file to its name without ".tmp"; any other is a fault of the
// run. Each call counts once the next one is observed: one the power loss interrupts never took
// effect.
class PowerLossJournal {
public:
    explicit PowerLossJournal(const OmbraTest::TempFolder& folder) : folder(folder) {}

    // Takes the folder as it is now as durable.
    void Start() {
        live.clear();
        durableContent.clear();
        pending = faulty = false;
        for (const auto& entry : fs::directory_iterator(folder.Path()))
            if (entry.is_regular_file())
                durableContent[live[entry.path().filename()] = nextId++] =
                    folder.ReadFile(entry.path().filename()).value_or("");
        durable = live;
    }

    void Observe(const Faults::CallInfo& call) {
        Commit();
        const fs::path path(call.path);
        const bool isFolder = path == folder.Path();
        name = isFolder || path.parent_path() != folder.Path() ? std::string()
                                                               : path.filename().string();
        if (!isFolder && name.empty()) return;  // outside the folder: not modelled
        pending = true;
        op = call.op;
        existed = !isFolder && folder.Exists(name);
        // Sync passes its checkpoint after the flush: the bytes it makes durable are on disk now.
        if (op == Op::Sync && existed) content = folder.ReadFile(name).value_or("");
    }

    // Puts the folder back to what the disk keeps; false when the run made a call the journal
    // cannot model.
    bool LoseUnsynced() {
        if (faulty) return false;
        for (const auto& entry : fs::directory_iterator(folder.Path()))
            if (entry.is_regular_file()) fs::remove(entry.path());
        bool written = true;
        for (const auto& [file, id] : durable)
            written = folder.WriteFile(file, durableContent[id]) && written;
        return written;
    }

private:
    void Commit() {
        if (!pending) return;
        pending = false;
        if (op == Op::Create && !existed && !name.empty()) {
            durableContent[nextId] = "";  // never synced: empty on the disk
            live[name] = nextId++;
        } else if (op == Op::Sync && name.empty()) {
            durable = live;
        } else if (op == Op::Sync && live.count(name) != 0) {
            durableContent[live[name]] = content;
        } else if (op == Op::Delete) {
            live.erase(name);
        } else if (op == Op::Rename) {
            if (!name.ends_with(".tmp") || live.count(name) == 0) {
                faulty = true;
                return;
            }
            live[name.substr(0, name.size() - 4)] = live[name];
            live.erase(name);
        }
    }

    const OmbraTest::TempFolder& folder;
    int nextId = 0;
    std::map<std::string, int> live;            // name -> file, as the run sees the folder
    std::map<std::string, int> durable;         // name -> file, as of the last folder sync
    std::map<int, std::string> durableContent;  // file -> bytes, as of its last sync
    bool pending = false, existed = false, faulty = false;
    Op op{};
    std::string name;  // of the pending call; empty: the folder itself
    std::string content;
};

// Where a killed run leaves the data file: with the records after the steps that returned or
// after the step under way as well, with those of an earlier step (a returned step lost), or
// with no state at all.
enum class Outcome { OldOrNew, Earlier, Garbled };

class KillSweep : public ScenarioSuite {
protected:
    // Runs the scenario in a child that ends (_exit) at call `call` of the steps under test,
    // calling `atKill` right before; `journal` follows the calls. Then judges the data file and
    // goes on from the state found; `why` tells a garbled file.
    Outcome Kill(std::size_t call, PowerLossJournal* journal, std::string& why) {
        const Scenario& scenario = GetParam();
        ResetFolder();
        constexpr int Killed = 77;
        // Each step that returned is one byte on standard output, outside the file system.
        const OmbraTest::ChildResult child = OmbraTest::RunFunction({}, [&] {
            if (!RunPrepared()) return 3;
            if (journal != nullptr) journal->Start();
            Faults::Reset();
            Faults::SetCallback([journal, call](const Faults::CallInfo& info) {
                if (info.number == call)
                    _exit(journal == nullptr || journal->LoseUnsynced() ? Killed : 5);
                if (journal != nullptr) journal->Observe(info);
            });
            for (const Step& step : scenario.steps) {
                Run(step);
                if (::write(STDOUT_FILENO, "+", 1) != 1) return 3;
            }
            return 0;
        });
        EXPECT_EQ(child.exitStatus, Killed) << "the child did not reach the call";
        const std::vector<Records> states = ModelStates(scenario);
        const std::size_t returned = std::min(child.out.size(), states.size() - 1);
        const std::string bytes = DataBytes();
        std::size_t matched = 0;
        const testing::AssertionResult holds =
            HoldsOneOf(bytes, scenario.encoding, states, returned,
                       std::min(returned + 1, states.size() - 1), &matched);
        Outcome outcome = Outcome::OldOrNew;
        if (!holds) {
            why = holds.message();
            if (returned == 0 ||
                !HoldsOneOf(bytes, scenario.encoding, states, 0, returned - 1, &matched))
                return Outcome::Garbled;
            outcome = Outcome::Earlier;
        }
        ExpectContinuesFrom(states[matched]);
        return outcome;
    }
};

TEST_P(KillSweep, CrashAtEachCallKeepsEveryReturnedStep) {
    const std::vector<Faults::Op> calls = TraceScenario();
    std::size_t cases = 0;
    for (const std::size_t call : SweptCalls(calls)) {
        SCOPED_TRACE("crash at call " + std::to_string(call) + " (" +
                     Faults::OpName(calls[call - 1]) + ")");
        std::string why;
        EXPECT_EQ(Kill(call, nullptr, why), Outcome::OldOrNew) << why;
        ++cases;
        if (HasFailure()) return;
    }
    Tally("crash", calls.size(), cases);
}

TEST_P(KillSweep, PowerLossAtEachCallKeepsSavesWhole) {
    const std::vector<Faults::Op> calls = TraceScenario();
    PowerLossJournal journal(folder);
    // A scenario whose one step is a save (CLOSE of a changed file, the OUTPUT that compacts)
    // must come out old or new at every call.
    const std::string& name = GetParam().name;
    const bool savesOnly = GetParam().steps.size() == 1 && (name.starts_with("close_save") ||
                                                            name.starts_with("output_compaction"));
    std::size_t shares[3] = {};
    for (const std::size_t call : SweptCalls(calls)) {
        SCOPED_TRACE("power loss at call " + std::to_string(call) + " (" +
                     Faults::OpName(calls[call - 1]) + ")");
        std::string why;
        const Outcome outcome = Kill(call, &journal, why);
        ++shares[int(outcome)];
        EXPECT_NE(outcome, Outcome::Garbled) << why;
        if (savesOnly) {
            EXPECT_EQ(outcome, Outcome::OldOrNew) << why;
        }
        if (HasFailure()) return;
    }
    const std::size_t cases = shares[0] + shares[1] + shares[2];
    std::printf(
        "[reliability] power loss %s: %zu old-or-new, %zu earlier state, %zu garbled of %zu "
        "(%.1f%% old-or-new)\n",
        name.c_str(), shares[0], shares[1], shares[2], cases,
        100.0 * double(shares[0]) / double(cases));
    Tally("power loss", calls.size(), cases);
}

INSTANTIATE_TEST_SUITE_P(Operations, KillSweep, testing::ValuesIn(Operations(true)),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace Reliability
