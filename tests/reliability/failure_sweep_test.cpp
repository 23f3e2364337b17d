// Every file-system call of each operation fails in turn, in each way the file system can fail
// (an error, a full disk, a short write), once and for good from then on: the operation returns
// a status its failure table allows with the message that goes with it, the data file holds the
// records of before or after the operation (after exactly when an OUTPUT returned 0, before when
// it reported "Write permission error"), and the module goes on from there without faults.
#include <algorithm>
#include <cstdio>

#include "tests/reliability/suite_fixture.h"

namespace Reliability {
namespace {

class FailureSweep : public ScenarioSuite {
protected:
    // A failed write may leave part of an appended line behind the end of the file that the
    // index knows; the file is otherwise unchanged and the next save drops that part.
    void RunBroken(std::size_t call, Faults::Op op, const FailureKind& kind,
                   Faults::Repeat repeat) {
        const Scenario& scenario = GetParam();
        const std::vector<Records> states = ModelStates(scenario);
        runner.ResetFolder(scenario);
        ASSERT_TRUE(runner.RunPrepared(scenario));
        Faults::FailAnyCall(call, Faults::Failure{kind.errorNumber, repeat, kind.bytesWritten});
        StepResult last;
        for (std::size_t i = 0; i < scenario.steps.size(); ++i) {
            last = runner.Run(scenario.steps[i]);
            ExpectAllowedResult(scenario.steps[i], last, states[i]);
            if (last.status != 0 || !last.reports.empty()) ++shown;
        }
        ASSERT_GE(Faults::GetTotalCallCount(), call) << "the run never reached the broken call";
        Faults::Reset();
        std::size_t matched = 0;
        const std::string bytes = runner.DataBytes();
        const AllowedStates allowed{states, 0, states.size() - 1, op == Faults::Op::Write};
        ASSERT_TRUE(HoldsOneOf(bytes, scenario.encoding, allowed, &matched));
        if (matched + 1 < states.size()) ++shown;
        // An OUTPUT that returned 0 stored its record; one that reported did not.
        const StepKind lastKind = scenario.steps.back().kind;
        if (lastKind == StepKind::Output || lastKind == StepKind::Delete) {
            const Records& expected = last.status == 0 ? states.back() : states[states.size() - 2];
            EXPECT_EQ(states[matched], expected) << "OUTPUT returned " << last.status;
        }
        // Only a later write of the same channel can remove what a write failure left; when
        // every later call failed too, it stays (counted, and named in the reliability figures).
        if (repeat == Faults::Repeat::Persistent &&
            !UnendedTail(bytes).empty()) {
            ++residues;
            return;
        }
        ExpectContinuesFrom(runner, scenario, states[matched]);
    }

    std::size_t residues = 0;
    // Broken runs that showed their failure: a step failed or reported, or the file kept an
    // earlier state.
    std::size_t shown = 0;
};

TEST_P(FailureSweep, EachCallFailsEachWayOnceAndForGood) {
    const std::vector<Faults::Op> calls = TraceScenario();
    ASSERT_FALSE(calls.empty());
    std::size_t cases = 0;
    for (const std::size_t call : SweptCalls(calls)) {
        for (const FailureKind& kind : FailureKinds()) {
            if (kind.writesOnly && calls[call - 1] != Faults::Op::Write) continue;
            for (const Faults::Repeat repeat : {Faults::Repeat::Once, Faults::Repeat::Persistent}) {
                SCOPED_TRACE(std::string("call ") + std::to_string(call) + " (" +
                             Faults::OpName(calls[call - 1]) + ") fails with " + kind.name +
                             (repeat == Faults::Repeat::Once ? " once" : " for good"));
                RunBroken(call, calls[call - 1], kind, repeat);
                ++cases;
                if (HasFailure()) return;  // one broken case tells; the rest would repeat it
            }
        }
    }
    // Some failure of every call but the closing of the file shows: a sweep in which none
    // showed has injected nothing, and its passing cases prove nothing.
    if (std::count(calls.begin(), calls.end(), Faults::Op::Close) < std::ptrdiff_t(calls.size())) {
        EXPECT_GT(shown, 0u) << "no injected failure reached the module";
    }
    Tally("failure sweep", GetParam().name, calls.size(), cases);
    if (residues > 0) {
        std::printf("[reliability] failure sweep %s: %zu cases left part of a write behind\n",
                    GetParam().name.c_str(), residues);
    }
}

INSTANTIATE_TEST_SUITE_P(Operations, FailureSweep, testing::ValuesIn(SingleOperations()),
                         ScenarioName);

}  // namespace
}  // namespace Reliability
