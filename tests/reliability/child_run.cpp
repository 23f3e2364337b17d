#include "tests/reliability/child_run.h"

#include <unistd.h>

#include "tests/support/child_process.h"

namespace Reliability {
namespace {

constexpr int PrepareFailed = 3;
constexpr int Killed = 77;

}  // namespace

ChildOutcome RunUntilCall(ScenarioRunner& runner, const Scenario& scenario, std::size_t call,
                          const KillHooks& hooks) {
    // The child reports each returned step by one byte on its standard output (a plain system
    // call, outside the file system under test).
    const OmbraTest::ChildResult result = OmbraTest::RunFunction({}, [&] {
        if (!runner.RunPrepared(scenario)) return PrepareFailed;
        if (hooks.start) hooks.start();
        Faults::Reset();
        Faults::SetCallback([&hooks, call](const Faults::CallInfo& info) {
            if (info.number == call) {
                if (hooks.atKill) hooks.atKill();
                _exit(Killed);
            }
            if (hooks.observe) hooks.observe(info);
        });
        for (const Step& step : scenario.steps) {
            runner.Run(step);
            if (::write(STDOUT_FILENO, "+", 1) != 1) return PrepareFailed;
        }
        return 0;
    });
    ChildOutcome outcome;
    outcome.ran = result.exitStatus == 0 || result.exitStatus == Killed;
    outcome.killed = result.exitStatus == Killed;
    outcome.returned = result.out.size();
    return outcome;
}

}  // namespace Reliability
