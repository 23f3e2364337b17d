#include "tests/reliability/outcome.h"

#include <set>

namespace Reliability {
namespace {

const Step CloseStep = {StepKind::Close, "", ""};

// The keys whose INPUT the continuation checks: those the scenario names and the first ones.
std::set<std::string> CheckedKeys(const Scenario& scenario, const Records& state) {
    std::set<std::string> keys = {"Z"};
    for (const Step& step : scenario.steps) {
        if (step.kind != StepKind::Open && step.kind != StepKind::Close) keys.insert(step.key);
    }
    for (auto it = state.begin(); it != state.end() && keys.size() < 8; ++it)
        keys.insert(it->first);
    return keys;
}

void ExpectInputs(ScenarioRunner& runner, const Scenario& scenario, const Records& state) {
    ASSERT_EQ(runner.Run({StepKind::Open, "MODE=RO", ""}).status, 0);
    for (const std::string& key : CheckedKeys(scenario, state)) {
        const StepResult result = runner.Run({StepKind::Input, key, ""});
        ExpectAllowedResult({StepKind::Input, key, ""}, result, state);
        EXPECT_EQ(result.status, 0) << key;
    }
    EXPECT_EQ(runner.Run(CloseStep).status, 0);
}

// OPEN "WA" makes a missing file a UTF-8 file; an existing one is UTF-8 when it begins with the
// mark, so an empty one (emptied by WO, or made by a broken OPEN) is in the default code page.
Encoding EncodingOnReopening(const ScenarioRunner& runner, const Scenario& scenario) {
    if (!runner.DataFileExists()) return Encoding::Utf8;
    const std::string bytes = runner.DataBytes();
    if (bytes.empty()) return Encoding::CodePage;
    return scenario.encoding;
}

}  // namespace

testing::AssertionResult HoldsOneOf(const std::string& bytes, Encoding encoding,
                                    const AllowedStates& allowed, std::size_t* matched) {
    const ParsedFile parsed = ParseFile(bytes, encoding);
    const std::vector<Records> range(allowed.states.begin() + allowed.first,
                                     allowed.states.begin() + allowed.last + 1);
    const std::optional<std::size_t> found = MatchState(parsed, range, allowed.unendedTail);
    if (found) {
        if (matched != nullptr) *matched = allowed.first + *found;
        return testing::AssertionSuccess();
    }
    testing::AssertionResult failure = testing::AssertionFailure();
    failure << "the file holds " << Describe(parsed.records) << " with " << parsed.strayLines.size()
            << " stray lines";
    if (!parsed.strayLines.empty()) failure << " (first: " << parsed.strayLines.front() << ")";
    if (!parsed.unendedTail.empty()) failure << " and the unended line " << parsed.unendedTail;
    failure << "; allowed states " << allowed.first << ".." << allowed.last << ", from "
            << Describe(allowed.states[allowed.first]) << " to "
            << Describe(allowed.states[allowed.last]);
    return failure;
}

void ExpectContinuesFrom(ScenarioRunner& runner, const Scenario& scenario, const Records& state) {
    EXPECT_EQ(runner.Run(CloseStep).status, 0);
    const Encoding encoding = EncodingOnReopening(runner, scenario);
    ASSERT_EQ(runner.Run({StepKind::Open, "MODE=WA", ""}).status, 0);
    const StepResult output = runner.Run({StepKind::Output, "Z", "z"});
    EXPECT_EQ(output.status, 0);
    EXPECT_EQ(runner.Run(CloseStep).status, 0);
    Records expected = state;
    expected["Z"] = "z";
    const std::vector<Records> saved = {expected};
    EXPECT_TRUE(HoldsOneOf(runner.DataBytes(), encoding, {saved, 0, 0}));
    EXPECT_FALSE(runner.TempFileExists());
    ExpectInputs(runner, scenario, expected);
}

}  // namespace Reliability
