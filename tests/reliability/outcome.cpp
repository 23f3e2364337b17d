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
    std::string tail;
    const OmbraTest::FileRecords file = OmbraTest::ReadRecords(bytes, '\t', &tail);
    // A file made but not yet written, or its mark cut short, holds no line in either encoding.
    const bool unwritten =
        bytes.size() < OmbraTest::ByteOrderMark.size() && OmbraTest::ByteOrderMark.starts_with(bytes);
    std::vector<Records> lines;
    for (std::size_t i = allowed.first; i <= allowed.last; ++i)
        lines.push_back(FileLines(allowed.states[i], encoding));
    const bool rightEncoding = unwritten || file.utf8 == (encoding == Encoding::Utf8);
    const std::optional<std::size_t> found =
        rightEncoding && (tail.empty() || allowed.unendedTail)
            ? OmbraTest::FindState(file.lines, lines, 0, lines.size() - 1)
            : std::nullopt;
    if (found) {
        if (matched != nullptr) *matched = allowed.first + *found;
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure()
           << "the " << (rightEncoding ? "" : "wrongly encoded ") << "file holds "
           << OmbraTest::Describe(file.lines) << (tail.empty() ? "" : " and the unended line ")
           << tail << "; allowed states " << allowed.first << ".." << allowed.last << ", from "
           << OmbraTest::Describe(lines.front()) << " to " << OmbraTest::Describe(lines.back());
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
