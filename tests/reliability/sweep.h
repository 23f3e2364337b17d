// What the reliability suites share: scenarios of entry operations on one data file played through
// the module as the interpreter loads it, the records each step should leave (a model), the check
// that a broken run left exactly the records of one allowed state, and the continuation without
// faults that must keep them.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/filesystem/fault_injection.h"
#include "tests/support/data_file_model.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_host.h"

namespace Reliability {

namespace Faults = IO::FaultInjection;
using OmbraTest::Records;  // key to the one field the suites store, both UTF-8

// Every scenario works on data.txt through channel 1. A CodePage file is Latin-1 text (the suites
// use no character the two code pages map differently); a Utf8 one begins with the mark.
enum class Encoding { Utf8, CodePage };
enum class StepKind { Open, Input, Output, Delete, Close };

struct Step {
    StepKind kind;
    std::string key;    // Open: the parameter string
    std::string field;  // Output: the one value stored
};

using Lines = std::vector<std::pair<std::string, std::string>>;

struct Scenario {
    std::string name;
    Encoding encoding;
    std::optional<Lines> initial;  // the data file before; nothing when it is missing
    std::vector<Step> prepare;     // run without faults first
    std::vector<Step> steps;       // the steps under test
};
void PrintTo(const Scenario& scenario, std::ostream* out);

// One operation each (OPEN in every mode, the first INPUT, OUTPUT in place, appended, deleting,
// compacting and on a new file, CLOSE with and without a save), in both encodings where it
// matters; with them (`withSequences`) sequences of several OUTPUTs, a deletion, a compaction and
// CLOSE.
std::vector<Scenario> Operations(bool withSequences = false);

// The records after the prepared steps (index 0) and after each step under test (index i).
std::vector<Records> ModelStates(const Scenario& scenario);

struct StepResult {
    Int16 status = 0;
    std::vector<std::string> reports;
    OmbraTest::InputResult input;
};

// Success when `bytes` hold exactly the records of one of states[first..last] with no stray line
// (and no bytes after the last line end unless `unendedTail`: what a failed write leaves behind
// the indexed end, which the next save drops); `matched` receives its index.
testing::AssertionResult HoldsOneOf(const std::string& bytes, Encoding encoding,
                                    const std::vector<Records>& states, std::size_t first,
                                    std::size_t last, std::size_t* matched = nullptr,
                                    bool unendedTail = false);

// The call numbers (from 1) a sweep breaks: all of them when OMBRA_FULL_SWEEP is set or there are
// at most 200; otherwise the first and last 40 (opening, loading, the temporary file, renaming,
// closing) and every 47th between (the lines of a merge).
std::vector<std::size_t> SweptCalls(const std::vector<Faults::Op>& calls);

// The module loaded, a fresh folder, and the scenario of the test's parameter.
class ScenarioSuite : public testing::TestWithParam<Scenario> {
protected:
    void SetUp() override;
    void TearDown() override { Faults::Reset(); }

    // Closes the channel, empties the folder and writes the scenario's initial file.
    void ResetFolder();
    // Runs the prepared steps; true when each returned 0 without a message.
    bool RunPrepared();
    StepResult Run(const Step& step);
    std::string DataBytes() const { return folder.ReadFile("data.txt").value_or(""); }

    // The step's result is one its failure table allows: 0 and no message, or -7003 and the one
    // message that goes with it; an INPUT that succeeded delivered the record of `before`. When
    // memory ran out, any step may also report the memory-full message, whose file name is not
    // compared (memory may run out before it is known), and an INPUT may fail without a message
    // (its value could not be stored) or return -1111 (its load failed); one that returns 0
    // still delivers the record.
    void ExpectAllowedResult(const Step& step, const StepResult& result, const Records& before,
                             bool outOfMemory = false);
    // Goes on without faults from what a broken run left: CLOSE, OPEN "WA", OUTPUT of a new
    // record, CLOSE. The file must hold `state` and the new record, no temporary file may
    // remain, and an OPEN "RO" finds every record the scenario touches through INPUT.
    void ExpectContinuesFrom(const Records& state);
    // The kind of each file-system call of the scenario's steps, traced on a run without faults;
    // that run must reach the last state and go on from it.
    std::vector<Faults::Op> TraceScenario();
    // Prints the case count of a sweep for the reliability figures.
    void Tally(const char* suite, std::size_t calls, std::size_t cases) const;

    OmbraTest::TempFolder folder;
    OmbraTest::TestHost host;
    // The report of each message of the module's file-error list (by number) about data.txt.
    static std::vector<std::string> messages;
};

}  // namespace Reliability
