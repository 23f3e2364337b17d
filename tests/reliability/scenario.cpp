#include "tests/reliability/scenario.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace Reliability {
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
Step Close() {
    return {StepKind::Close, "", ""};
}

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
            scenario.name += std::string("_") + EncodingName(encoding);
            both.push_back(scenario);
        }
    }
    return both;
}

const std::vector<std::string> OpenMessages = {"Open error (file already used)",
                                               "File not found, can't open for input",
                                               "DATA Add-On memory full error"};

const std::vector<std::string>& AllowedMessages(StepKind kind) {
    static const std::vector<std::string> none;
    static const std::vector<std::string> read = {"Read error"};
    static const std::vector<std::string> write = {"Write permission error"};
    switch (kind) {
        case StepKind::Open:
            return OpenMessages;
        case StepKind::Input:
            return read;
        case StepKind::Output:
        case StepKind::Delete:
            return write;
        case StepKind::Close:
            break;
    }
    return none;
}

void ApplyStep(const Step& step, Records& records) {
    if (step.kind == StepKind::Open && step.key == "MODE=WO") records.clear();
    if (step.kind == StepKind::Output) OmbraTest::Apply(records, {step.key, step.field});
    if (step.kind == StepKind::Delete) OmbraTest::Apply(records, {step.key, std::nullopt});
}

}  // namespace

std::vector<Scenario> SingleOperations() {
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
        {"close_save", {}, three, {Open("WA"), Output("B", "longer b")}, {Close()}},
        {"close_unchanged", {}, three, loaded, {Close()}},
    });
    scenarios.push_back({"open_wa_new", Encoding::Utf8, std::nullopt, {}, {Open("WA")}});
    scenarios.push_back(
        {"output_new_file", Encoding::Utf8, std::nullopt, {Open("WA")}, {Output("A", "\xC3\xA9")}});
    return scenarios;
}

std::vector<Scenario> Sequences() {
    std::vector<Scenario> scenarios = InBothEncodings({
        {"outputs",
         {},
         ThreeRecords,
         {},
         {Open("WA"), Output("D", "d \xC3\xA9"), Output("A", "caf\xC3\xA9 2"), Delete("C"),
          Output("E", "e"), Output("B", "longer b"), Close()}},
        {"compaction",
         {},
         CompactionLines(),
         {},
         {Open("WA"), Output("b", "bb"), Output("c", "cc"), Delete("k1000"), Close()}},
    });
    scenarios.push_back({"new_file",
                         Encoding::Utf8,
                         std::nullopt,
                         {},
                         {Open("WA"), Output("A", "\xC3\xA9"), Output("B", "b"), Close()}});
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

void ExpectAllowedResult(const Step& step, const StepResult& result, const Records& before) {
    if (result.status == 0 || step.kind == StepKind::Close) {
        EXPECT_EQ(result.status, 0);
        EXPECT_TRUE(result.reports.empty()) << result.reports.front();
    } else {
        const std::vector<std::string>& allowed = AllowedMessages(step.kind);
        EXPECT_EQ(result.status, -7003);
        ASSERT_EQ(result.reports.size(), 1u);
        const std::string& report = result.reports.front();
        const std::string frame = "\r\nwhile operating on file 'data.txt'.";
        const std::size_t end = report.find(frame);
        EXPECT_EQ(end + frame.size(), report.size()) << report;
        const std::string message = report.substr(0, end);
        EXPECT_NE(std::find(allowed.begin(), allowed.end(), message), allowed.end()) << report;
    }
    if (step.kind != StepKind::Input || result.status != 0) return;
    const auto found = before.find(step.key);
    std::vector<OmbraTest::Value> expected;
    if (found != before.end()) expected.push_back(found->second);
    EXPECT_EQ(result.input.values, expected);
}

ScenarioRunner::ScenarioRunner(OmbraTest::TestHost& host, OmbraTest::TempFolder& folder)
    : host(host), folder(folder) {}

void ScenarioRunner::ResetFolder(const Scenario& scenario) {
    host.Close(Channel);
    host.TakeReports();
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
        std::filesystem::remove_all(entry.path());
    if (scenario.initial) {
        ASSERT_TRUE(
            folder.WriteFile(DataFileName, FileBytes(*scenario.initial, scenario.encoding)));
    }
}

bool ScenarioRunner::RunPrepared(const Scenario& scenario) {
    bool clean = true;
    for (const Step& step : scenario.prepare) {
        const StepResult result = Run(step);
        clean = clean && result.status == 0 && result.reports.empty();
    }
    return clean;
}

StepResult ScenarioRunner::Run(const Step& step) {
    StepResult result;
    switch (step.kind) {
        case StepKind::Open:
            result.status = host.Open(Channel, DataFileName, step.key);
            break;
        case StepKind::Input:
            result.input = host.Input(Channel, step.key, "1", 1);
            result.status = result.input.status;
            break;
        case StepKind::Output:
            result.status = host.Output(Channel, step.key, "1", {step.field});
            break;
        case StepKind::Delete:
            result.status = host.Output(Channel, step.key, "0", {});
            break;
        case StepKind::Close:
            result.status = host.Close(Channel);
            break;
    }
    result.reports = host.TakeReports();
    return result;
}

std::string ScenarioRunner::DataBytes() const {
    return folder.ReadFile(DataFileName).value_or("");
}

bool ScenarioRunner::DataFileExists() const {
    return folder.Exists(DataFileName);
}

bool ScenarioRunner::TempFileExists() const {
    return folder.Exists(TempFileName);
}

}  // namespace Reliability
