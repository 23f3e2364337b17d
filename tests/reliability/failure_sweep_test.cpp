// Every file-system call of each operation fails in turn, in each way the file system can fail
// (an error, a full disk, a short write), once and for good from then on: the operation returns
// a status its failure table allows with the message that goes with it, the data file holds the
// records of before or after the operation (after exactly when an OUTPUT returned 0), and the
// module goes on from there without faults.
#include <algorithm>
#include <cerrno>

#include "tests/reliability/sweep.h"

namespace Reliability {
namespace {

struct FailureKind {
    const char* name;
    int errorNumber;
    std::size_t bytesWritten;  // a short write: this many bytes reach the file first
};
const FailureKind Kinds[] = {{"EIO", EIO, 0}, {"ENOSPC", ENOSPC, 0}, {"short write", ENOSPC, 1}};

class FailureSweep : public ScenarioSuite {
protected:
    void RunBroken(std::size_t call, Faults::Op op, const FailureKind& kind,
                   Faults::Repeat repeat) {
        const Scenario& scenario = GetParam();
        const std::vector<Records> states = ModelStates(scenario);
        ResetFolder();
        ASSERT_TRUE(RunPrepared());
        Faults::FailAnyCall(call, Faults::Failure{kind.errorNumber, repeat, kind.bytesWritten});
        StepResult last;
        for (std::size_t i = 0; i < scenario.steps.size(); ++i) {
            last = Run(scenario.steps[i]);
            ExpectAllowedResult(scenario.steps[i], last, states[i]);
            if (last.status != 0 || !last.reports.empty()) ++shown;
        }
        ASSERT_GE(Faults::GetTotalCallCount(), call) << "the run never reached the broken call";
        Faults::Reset();
        // A save that failed removed its new text, unless the removal was what failed.
        if (repeat == Faults::Repeat::Once && op != Faults::Op::Delete) {
            EXPECT_FALSE(folder.Exists("data.txt.tmp"));
        }
        std::size_t matched = 0;
        const std::string bytes = DataBytes();
        // A failed write may leave part of an appended line behind the end the index knows.
        ASSERT_TRUE(HoldsOneOf(bytes, scenario.encoding, states, 0, states.size() - 1, &matched,
                               op == Faults::Op::Write));
        if (matched + 1 < states.size()) ++shown;
        const StepKind lastKind = scenario.steps.back().kind;
        if (lastKind == StepKind::Output || lastKind == StepKind::Delete) {
            const Records& expected = last.status == 0 ? states.back() : states[states.size() - 2];
            EXPECT_EQ(states[matched], expected) << "OUTPUT returned " << last.status;
        }
        // Only a later write of the same channel removes what a write failure left; when every
        // later call failed too, it stays.
        std::string tail;
        OmbraTest::ReadRecords(bytes, '\t', &tail);
        if (repeat == Faults::Repeat::Persistent && !tail.empty()) return;
        ExpectContinuesFrom(states[matched]);
    }

    // Broken runs that showed their failure: a step failed or reported, or the file kept an
    // earlier state.
    std::size_t shown = 0;
};

TEST_P(FailureSweep, EachCallFailsEachWayOnceAndForGood) {
    const std::vector<Faults::Op> calls = TraceScenario();
    ASSERT_FALSE(calls.empty());
    std::size_t cases = 0;
    for (const std::size_t call : SweptCalls(calls)) {
        const Faults::Op op = calls[call - 1];
        for (const FailureKind& kind : Kinds) {
            if (kind.bytesWritten > 0 && op != Faults::Op::Write) continue;
            for (const Faults::Repeat repeat : {Faults::Repeat::Once, Faults::Repeat::Persistent}) {
                SCOPED_TRACE(std::string("call ") + std::to_string(call) + " (" +
                             Faults::OpName(op) + ") fails with " + kind.name +
                             (repeat == Faults::Repeat::Once ? " once" : " for good"));
                RunBroken(call, op, kind, repeat);
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
    Tally("failure sweep", calls.size(), cases);
}

INSTANTIATE_TEST_SUITE_P(Operations, FailureSweep, testing::ValuesIn(Operations()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace Reliability
