// The performance goals: each a ratio of figures measured in the same run, held against a target.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "bench/compare/figures.h"

namespace Compare {

// Reported: measured and published, held to no target.
enum class Bound { AtMost, AtLeast, Reported };

// measured = (largest of `numerators` at `numeratorRecords`) /
//            (largest of `denominators` at `denominatorRecords`), or the numerator alone when
//            there are no denominators (a count).
// Taking the largest makes a goal over several figures hold for each of them: the slowest
// operation in the numerator, the slowest of ours in the denominator of a speed-up.
struct GoalRule {
    const char* name;
    std::vector<const char*> numerators;
    std::uint64_t numeratorRecords;
    std::vector<const char*> denominators;
    std::uint64_t denominatorRecords;
    Bound bound;
    double target;
    const char* meaning;  // what the ratio says, for notes: "INPUT time / one pread"
    // What the figures show to be the cost that misses the goal, added to the note of a miss;
    // nullptr when nothing beyond the ratio is known.
    const char* whenMissed = nullptr;
};

struct GoalResult {
    std::string name;
    std::optional<double> measured;  // empty when a figure is missing or the denominator is 0
    Bound bound = Bound::AtMost;
    double target = 0;
    std::optional<bool> met;  // empty when not measured
    std::string note;         // empty when met
};

// The goals every run is held to.
const std::vector<GoalRule>& GoalRules();

GoalResult EvaluateGoal(const GoalRule& rule, const FigureSet& figures);
std::vector<GoalResult> EvaluateGoals(const std::vector<GoalRule>& rules, const FigureSet& figures);

}  // namespace Compare
