// Runs a scenario in a forked child process that ends abruptly (_exit) at a chosen file-system
// call, as a crash would end it, and tells the parent how many steps had returned by then.
#pragma once

#include <cstddef>
#include <functional>

#include "tests/reliability/scenario.h"
#include "tests/reliability/sweep_plan.h"

namespace Reliability {

// What the child does besides running the scenario: `start` once the prepared steps have run,
// `observe` at every call before the fatal one, `atKill` right before it ends at that call.
struct KillHooks {
    std::function<void()> start;
    std::function<void(const Faults::CallInfo&)> observe;
    std::function<void()> atKill;
};

struct ChildOutcome {
    bool ran = false;          // the child started and its prepared steps succeeded
    bool killed = false;       // it ended at the chosen call (else it ran every step)
    std::size_t returned = 0;  // steps under test that returned before it ended
};

// The scenario's initial file must be in place (ScenarioRunner::ResetFolder); the child runs the
// prepared steps and then the steps under test, and ends at call `call` counted from the first
// step under test.
ChildOutcome RunUntilCall(ScenarioRunner& runner, const Scenario& scenario, std::size_t call,
                          const KillHooks& hooks);

}  // namespace Reliability
