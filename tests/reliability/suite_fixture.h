// The fixture the reliability suites share: the module loaded as the interpreter loads it, a
// fresh base folder, and a runner for the scenarios.
#pragma once

#include <gtest/gtest.h>

#include "tests/reliability/outcome.h"
#include "tests/reliability/scenario.h"
#include "tests/reliability/sweep_plan.h"

namespace Reliability {

class ScenarioSuite : public testing::TestWithParam<Scenario> {
protected:
    void SetUp() override { ASSERT_TRUE(host.IsLoaded()) << host.LoadError(); }
    void TearDown() override { Faults::Reset(); }

    // The scenario's calls, traced on a run without faults; that run must reach the last state
    // and go on from it.
    std::vector<Faults::Op> TraceScenario() {
        const Scenario& scenario = GetParam();
        runner.ResetFolder(scenario);
        EXPECT_TRUE(runner.RunPrepared(scenario));
        const std::vector<Records> states = ModelStates(scenario);
        const std::vector<Faults::Op> calls = TraceCalls([&] {
            for (std::size_t i = 0; i < scenario.steps.size(); ++i) {
                ExpectAllowedResult(scenario.steps[i], runner.Run(scenario.steps[i]), states[i]);
            }
        });
        const AllowedStates last{states, states.size() - 1, states.size() - 1};
        EXPECT_TRUE(HoldsOneOf(runner.DataBytes(), scenario.encoding, last));
        ExpectContinuesFrom(runner, scenario, states.back());
        return calls;
    }

    OmbraTest::TempFolder folder;
    OmbraTest::TestHost host;
    ScenarioRunner runner{host, folder};
};

inline std::string ScenarioName(const testing::TestParamInfo<Scenario>& info) {
    return info.param.name;
}

}  // namespace Reliability
