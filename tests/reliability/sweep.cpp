#include "tests/reliability/sweep.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "tests/support/core_binding.h"

namespace Reliability {

std::vector<std::string> ScenarioSuite::messages;

namespace {

const Lines ThreeRecords = {{"A", "caf\xC3\xA9 1"}, {"B", "b0"}, {"C", "\xC3\xBC c"}};

Step Open(const char* mode) {
    return {StepKind::Open, std::string("MODE=") + mode, ""};
}
Step Input(const std::string& key) {
    return {StepKind::Input, key, ""};
}
Step Output(const std::string& key, const std::string& field) {
    return {StepKind::Output, key, field};
}
Step Delete(const std::string& key) {
    return {StepKind::Delete, key, ""};
}
const Step Close = {StepKind::Close, "", ""};

// A leading run of one line and 1022 tail lines: the OUTPUT of a new key brings the tail index to
// 1024 entries (its end entry included) and so compacts the file.
Lines CompactionLines() {
    Lines lines = {{"zz", "x"}};
    for (int i = 1000; i <= 2021; ++i) lines.push_back({"k" + std::to_string(i), "v"});
    return lines;
}

std::vector<Scenario> InBothEncodings(const std::vector<Scenario>& scenarios) {
    std::vector<Scenario> both;
    for (Encoding encoding : {Encoding::Utf8, Encoding::CodePage}) {
        for (Scenario scenario : scenarios) {
            scenario.encoding = encoding;
            scenario.name += encoding == Encoding::Utf8 ? "_utf8" : "_codepage";
            both.push_back(scenario);
        }
    }
    return both;
}

std::string Encode(const std::string& text, Encoding encoding) {
    if (encoding == Encoding::Utf8) return text;
    std::string latin1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        latin1 += byte < 0x80 || i + 1 == text.size()
                      ? char(byte)
                      : char(((byte & 0x1F) << 6) | (static_cast<unsigned char>(text[++i]) & 0x3F));
    }
    return latin1;
}

void ApplyStep(const Step& step, Records& records) {
    if (step.kind == StepKind::Open && step.key == "MODE=WO") records.clear();
    if (step.kind == StepKind::Output) OmbraTest::Apply(records, {step.key, step.field});
    if (step.kind == StepKind::Delete) OmbraTest::Apply(records, {step.key, std::nullopt});
}

}  // namespace

std::vector<Scenario> Operations(bool withSequences) {
    const Lines three = ThreeRecords;
    const std::vector<Step> loaded = {Open("WA"), Input("A")};
    std::vector<Scenario> scenarios = InBothEncodings({
        {"open_ro", {}, three, {}, {Open("RO")}},
        {"open_wa", {}, three, {}, {Open("WA")}},
        {"open_wo", {}, three, {}, {Open("WO")}},
        {"input_first", {}, three, {Open("RO")}, {Input("B")}},
        {"output_in_place", {}, three, loaded, {Output("A", "caf\xC3\xA9 2")}},
        {"output_append", {}, three, loaded, {Output("D", "new \xC3\xA9")}},
        {"output_delete", {}, three, loaded, {Delete("C")}},
        {"output_compaction",
         {},
         CompactionLines(),
         {Open("WA"), Input("zz")},
         {Output("b", "bb")}},
        {"close_save", {}, three, {Open("WA"), Output("B", "longer b")}, {Close}},
        {"close_unchanged", {}, three, loaded, {Close}},
    });
    scenarios.push_back({"open_wa_new", Encoding::Utf8, std::nullopt, {}, {Open("WA")}});
    scenarios.push_back(
        {"output_new_file", Encoding::Utf8, std::nullopt, {Open("WA")}, {Output("A", "\xC3\xA9")}});
    if (!withSequences) return scenarios;
    const std::vector<Scenario> sequences = InBothEncodings({
        {"sequence_outputs",
         {},
         ThreeRecords,
         {},
         {Open("WA"), Output("D", "d \xC3\xA9"), Output("A", "caf\xC3\xA9 2"), Delete("C"),
          Output("E", "e"), Output("B", "longer b"), Close}},
        {"sequence_compaction",
         {},
         CompactionLines(),
         {},
         {Open("WA"), Output("b", "bb"), Output("c", "cc"), Delete("k1000"), Close}},
    });
    scenarios.insert(scenarios.end(), sequences.begin(), sequences.end());
    scenarios.push_back({"sequence_new_file",
                         Encoding::Utf8,
                         std::nullopt,
                         {},
                         {Open("WA"), Output("A", "\xC3\xA9"), Output("B", "b"), Close}});
    return scenarios;
}

void PrintTo(const Scenario& scenario, std::ostream* out) {
    *out << scenario.name;
}

std::vector<Records> ModelStates(const Scenario& scenario) {
    Records records;
    for (const auto& [key, field] : scenario.initial.value_or(Lines{})) records[key] = field;
    for (const Step& step : scenario.prepare) ApplyStep(step, records);
    std::vector<Records> states = {records};
    for (const Step& step : scenario.steps) {
        ApplyStep(step, records);
        states.push_back(records);
    }
    return states;
}

testing::AssertionResult HoldsOneOf(const std::string& bytes, Encoding encoding,
                                    const std::vector<Records>& states, std::size_t first,
                                    std::size_t last, std::size_t* matched, bool unendedTail) {
    std::string tail;
    const OmbraTest::FileRecords file = OmbraTest::ReadRecords(bytes, '\t', &tail);
    // A file made but not yet written, or its mark cut short, holds no line in either encoding.
    const bool unwritten = bytes.size() < OmbraTest::ByteOrderMark.size() &&
                           OmbraTest::ByteOrderMark.starts_with(bytes);
    std::vector<Records> lines;
    for (std::size_t i = first; i <= last; ++i) {
        lines.emplace_back();
        for (const auto& [key, field] : states[i])
            lines.back()[Encode(key, encoding)] = Encode(key + "\t" + field, encoding);
    }
    const bool rightEncoding = unwritten || file.utf8 == (encoding == Encoding::Utf8);
    const std::optional<std::size_t> found =
        rightEncoding && (tail.empty() || unendedTail)
            ? OmbraTest::FindState(file.lines, lines, 0, lines.size() - 1)
            : std::nullopt;
    if (found) {
        if (matched != nullptr) *matched = first + *found;
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure()
           << "the " << (rightEncoding ? "" : "wrongly encoded ") << "file holds "
           << OmbraTest::Describe(file.lines) << (tail.empty() ? "" : " and the unended line ")
           << tail << "; allowed states " << first << ".." << last << ", from "
           << OmbraTest::Describe(lines.front()) << " to " << OmbraTest::Describe(lines.back());
}

std::vector<std::size_t> SweptCalls(const std::vector<Faults::Op>& calls) {
    const char* full = std::getenv("OMBRA_FULL_SWEEP");
    const bool all = (full != nullptr && *full != '\0' && *full != '0') || calls.size() <= 200;
    std::vector<std::size_t> swept;
    for (std::size_t n = 1; n <= calls.size(); ++n) {
        if (all || n <= 40 || n + 40 > calls.size() || n % 47 == 0) swept.push_back(n);
    }
    return swept;
}

void ScenarioSuite::SetUp() {
    // Composed before any fault is armed: the resources are read by the in-process module code.
    for (Int16 n = messages.empty() ? 0 : 8; n < 8; ++n)
        messages.push_back(n == 0 ? "" : OmbraTest::ModuleReport(3, n, "data.txt"));
}

void ScenarioSuite::ResetFolder() {
    host.Close(1);
    host.TakeReports();
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
        std::filesystem::remove_all(entry.path());
    const Scenario& scenario = GetParam();
    if (!scenario.initial) return;
    std::string bytes =
        scenario.encoding == Encoding::Utf8 ? std::string(OmbraTest::ByteOrderMark) : "";
    for (const auto& [key, field] : *scenario.initial)
        bytes += Encode(key + "\t" + field + "\r", scenario.encoding);
    ASSERT_TRUE(folder.WriteFile("data.txt", bytes));
}

bool ScenarioSuite::RunPrepared() {
    bool clean = true;
    for (const Step& step : GetParam().prepare) {
        const StepResult result = Run(step);
        clean = clean && result.status == 0 && result.reports.empty();
    }
    return clean;
}

StepResult ScenarioSuite::Run(const Step& step) {
    StepResult result;
    switch (step.kind) {
        case StepKind::Open:
            result.status = host.Open(1, "data.txt", step.key);
            break;
        case StepKind::Input:
            result.input = host.Input(1, step.key, "1", 1);
            result.status = result.input.status;
            break;
        case StepKind::Output:
            result.status = host.Output(1, step.key, "1", {step.field});
            break;
        case StepKind::Delete:
            result.status = host.Output(1, step.key, "0", {});
            break;
        case StepKind::Close:
            result.status = host.Close(1);
            break;
    }
    result.reports = host.TakeReports();
    return result;
}

void ScenarioSuite::ExpectAllowedResult(const Step& step, const StepResult& result,
                                        const Records& before, bool outOfMemory) {
    const bool input = step.kind == StepKind::Input;
    if (result.status == 0 || step.kind == StepKind::Close) {
        EXPECT_EQ(result.status, 0);
        EXPECT_TRUE(result.reports.empty()) << result.reports.front();
    } else {
        EXPECT_EQ(result.status, -7003);
        ASSERT_LE(result.reports.size(), 1u);
        if (result.reports.empty()) {
            EXPECT_TRUE(outOfMemory && input) << "a failure without its message";
            return;
        }
        std::vector<int> allowed = {input ? 4 : 5};
        if (step.kind == StepKind::Open) allowed = {2, 3, 7};
        if (outOfMemory) allowed.push_back(7);
        const auto shown = [outOfMemory](const std::string& report) {
            return outOfMemory ? report.substr(0, report.find("\r\n")) : report;
        };
        EXPECT_TRUE(std::any_of(allowed.begin(), allowed.end(), [&](int n) {
            return shown(result.reports.front()) == shown(messages[n]);
        })) << result.reports.front();
    }
    if (!input || result.status != 0) return;
    const auto found = before.find(step.key);
    std::vector<OmbraTest::Value> expected;
    if (found != before.end()) expected.push_back(found->second);
    EXPECT_EQ(result.input.values, expected);
}

void ScenarioSuite::ExpectContinuesFrom(const Records& state) {
    const Scenario& scenario = GetParam();
    EXPECT_EQ(Run(Close).status, 0);
    // OPEN "WA" makes a missing file a UTF-8 file; an existing one is UTF-8 when it begins with
    // the mark, so an empty one (emptied by WO, or made by a broken OPEN) is in the code page.
    const std::optional<std::string> bytes = folder.ReadFile("data.txt");
    const Encoding encoding = !bytes           ? Encoding::Utf8
                              : bytes->empty() ? Encoding::CodePage
                                               : scenario.encoding;
    ASSERT_EQ(Run(Open("WA")).status, 0);
    EXPECT_EQ(Run(Output("Z", "z")).status, 0);
    EXPECT_EQ(Run(Close).status, 0);
    Records expected = state;
    expected["Z"] = "z";
    EXPECT_TRUE(HoldsOneOf(DataBytes(), encoding, {expected}, 0, 0));
    EXPECT_FALSE(folder.Exists("data.txt.tmp"));
    // INPUT of the keys the scenario names and of the first few.
    std::set<std::string> keys = {"Z"};
    for (const Step& step : scenario.steps)
        if (step.kind != StepKind::Open && step.kind != StepKind::Close) keys.insert(step.key);
    for (auto it = expected.begin(); it != expected.end() && keys.size() < 8; ++it)
        keys.insert(it->first);
    ASSERT_EQ(Run(Open("RO")).status, 0);
    for (const std::string& key : keys) {
        const StepResult result = Run(Input(key));
        ExpectAllowedResult(Input(key), result, expected);
        EXPECT_EQ(result.status, 0) << key;
    }
    EXPECT_EQ(Run(Close).status, 0);
}

std::vector<Faults::Op> ScenarioSuite::TraceScenario() {
    const Scenario& scenario = GetParam();
    ResetFolder();
    EXPECT_TRUE(RunPrepared());
    const std::vector<Records> states = ModelStates(scenario);
    std::vector<Faults::Op> calls;
    Faults::Reset();
    Faults::SetCallback([&calls](const Faults::CallInfo& call) { calls.push_back(call.op); });
    for (std::size_t i = 0; i < scenario.steps.size(); ++i)
        ExpectAllowedResult(scenario.steps[i], Run(scenario.steps[i]), states[i]);
    Faults::Reset();
    EXPECT_TRUE(
        HoldsOneOf(DataBytes(), scenario.encoding, states, states.size() - 1, states.size() - 1));
    ExpectContinuesFrom(states.back());
    return calls;
}

void ScenarioSuite::Tally(const char* suite, std::size_t calls, std::size_t cases) const {
    std::printf("[reliability] %s %s: %zu calls, %zu cases\n", suite, GetParam().name.c_str(),
                calls, cases);
}

}  // namespace Reliability
