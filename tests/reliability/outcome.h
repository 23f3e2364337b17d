// What every broken run must leave behind, checked the same way by the failure, crash and
// power-loss suites: the data file holds exactly the records of one allowed state, and the
// module goes on from there without faults, keeping them.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

#include "tests/reliability/scenario.h"

namespace Reliability {

// Which states a file may hold, and whether bytes may follow its last line end: the part of a
// line that a failed write left behind the indexed end of the file, which the next save drops.
struct AllowedStates {
    const std::vector<Records>& states;
    std::size_t first;
    std::size_t last;
    bool unendedTail = false;
};

// Success when `bytes` hold exactly the records of one of the allowed states with no stray line;
// `matched` receives its index.
testing::AssertionResult HoldsOneOf(const std::string& bytes, Encoding encoding,
                                    const AllowedStates& allowed, std::size_t* matched = nullptr);

// Goes on without faults from whatever the broken run left (channel open or not, a temporary
// file left or not): CLOSE, OPEN "WA", OUTPUT of a new record, CLOSE. The saved file must hold
// `state` and the new record, and no temporary file may remain; then an OPEN "RO" finds every
// record the scenario touches through INPUT as `state` has it.
void ExpectContinuesFrom(ScenarioRunner& runner, const Scenario& scenario, const Records& state);

}  // namespace Reliability
