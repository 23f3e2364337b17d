// Every file-system call of each operation, and of sequences of them, is a point where the
// process ends abruptly (in a child process). A crash must keep every step that returned and
// leave the step under way done or not done; a power loss, replayed by dropping what was not
// synced, must never leave a garbled file, and a save must come out whole: the records of before
// or of after it. How often a power loss keeps the last step is measured and printed, not
// asserted: OUTPUT does not sync.
#include <algorithm>
#include <cstdio>
#include <string>

#include "tests/reliability/child_run.h"
#include "tests/reliability/power_loss.h"
#include "tests/reliability/suite_fixture.h"

namespace Reliability {
namespace {

// Outcomes of power losses: the step under way done or not, earlier returned steps lost too,
// or a file that holds no state at all.
struct PowerLossShares {
    std::size_t oldOrNew = 0;
    std::size_t earlier = 0;
    std::size_t garbled = 0;
};

// Scenarios whose one step under test is a save (CLOSE of a changed file, or the OUTPUT that
// compacts): their power losses must all come out old or new.
bool SavesOnly(const Scenario& scenario) {
    return scenario.steps.size() == 1 && (scenario.name.starts_with("close_save") ||
                                          scenario.name.starts_with("output_compaction"));
}

// Where a killed run leaves the data file: with the records after the steps that returned or
// after the step under way as well, with those of an earlier step (a returned step lost), or
// with no state at all.
enum class Outcome { OldOrNew, Earlier, Garbled };

class KillSweep : public ScenarioSuite {
protected:
    // Runs one kill point and goes on from the state found; `why` tells a garbled file.
    Outcome Kill(std::size_t call, const KillHooks& hooks, std::string& why) {
        const Scenario& scenario = GetParam();
        runner.ResetFolder(scenario);
        const ChildOutcome child = RunUntilCall(runner, scenario, call, hooks);
        EXPECT_TRUE(child.ran && child.killed) << "the child did not reach the call";
        const std::vector<Records> states = ModelStates(scenario);
        const std::size_t returned = std::min(child.returned, states.size() - 1);
        const std::string bytes = runner.DataBytes();
        std::size_t matched = 0;
        const AllowedStates recent{states, returned, std::min(returned + 1, states.size() - 1)};
        const testing::AssertionResult holds =
            HoldsOneOf(bytes, scenario.encoding, recent, &matched);
        Outcome outcome = Outcome::OldOrNew;
        if (!holds) {
            why = holds.message();
            const AllowedStates earlier{states, 0, returned == 0 ? 0 : returned - 1};
            if (returned == 0 || !HoldsOneOf(bytes, scenario.encoding, earlier, &matched))
                return Outcome::Garbled;
            outcome = Outcome::Earlier;
        }
        ExpectContinuesFrom(runner, scenario, states[matched]);
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
        EXPECT_EQ(Kill(call, KillHooks{}, why), Outcome::OldOrNew) << why;
        ++cases;
        if (HasFailure()) return;
    }
    Tally("crash", GetParam().name, calls.size(), cases);
}

TEST_P(KillSweep, PowerLossAtEachCallKeepsSavesWhole) {
    const std::vector<Faults::Op> calls = TraceScenario();
    PowerLossJournal journal(folder.Path());
    const KillHooks hooks{[&] { journal.Start(); },
                          [&](const Faults::CallInfo& info) { journal.Observe(info); },
                          [&] {
                              if (!journal.LoseUnsynced()) _exit(5);
                          }};
    PowerLossShares shares;
    for (const std::size_t call : SweptCalls(calls)) {
        SCOPED_TRACE("power loss at call " + std::to_string(call) + " (" +
                     Faults::OpName(calls[call - 1]) + ")");
        std::string why;
        const Outcome outcome = Kill(call, hooks, why);
        shares.oldOrNew += outcome == Outcome::OldOrNew;
        shares.earlier += outcome == Outcome::Earlier;
        shares.garbled += outcome == Outcome::Garbled;
        EXPECT_NE(outcome, Outcome::Garbled) << why;
        if (SavesOnly(GetParam())) {
            EXPECT_EQ(outcome, Outcome::OldOrNew) << why;
        }
        if (HasFailure()) return;
    }
    const std::size_t cases = shares.oldOrNew + shares.earlier + shares.garbled;
    std::printf(
        "[reliability] power loss %s: %zu old-or-new, %zu earlier state, %zu garbled "
        "of %zu (%.1f%% old-or-new)\n",
        GetParam().name.c_str(), shares.oldOrNew, shares.earlier, shares.garbled, cases,
        100.0 * double(shares.oldOrNew) / double(cases));
    Tally("power loss", GetParam().name, calls.size(), cases);
}

std::vector<Scenario> AllScenarios() {
    std::vector<Scenario> scenarios = SingleOperations();
    for (Scenario& sequence : Sequences()) {
        sequence.name = "sequence_" + sequence.name;
        scenarios.push_back(std::move(sequence));
    }
    return scenarios;
}

INSTANTIATE_TEST_SUITE_P(Operations, KillSweep, testing::ValuesIn(AllScenarios()), ScenarioName);

}  // namespace
}  // namespace Reliability
