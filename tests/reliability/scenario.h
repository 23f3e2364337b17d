// The operations the reliability suites break: scenarios of entry operations on one data file,
// the records each step should leave (a model map), and a runner that plays them through the
// module as the interpreter loads it.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "tests/reliability/data_model.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_host.h"

namespace Reliability {

// Every scenario works on this file through channel 1.
inline constexpr const char* DataFileName = "data.txt";
inline constexpr const char* TempFileName = "data.txt.tmp";
inline constexpr UInt32 Channel = 1;

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

// Names a scenario in test messages.
void PrintTo(const Scenario& scenario, std::ostream* out);

// One operation each (OPEN in every mode, the first INPUT, OUTPUT in place, appended, deleting,
// compacting and on a new file, CLOSE with and without a save), in both encodings where the
// encoding matters.
std::vector<Scenario> SingleOperations();
// Several OUTPUTs, a deletion, a compaction and CLOSE in a row, on existing and new files.
std::vector<Scenario> Sequences();

// The records after the prepared steps (index 0) and after each step under test (index i).
std::vector<Records> ModelStates(const Scenario& scenario);

struct StepResult {
    Int16 status = 0;
    std::vector<std::string> reports;
    OmbraTest::InputResult input;
};

// Checks a step's result against what the operation's failure table allows: the status, the
// one message that goes with it, and for an INPUT that succeeded, the record's value in `before`.
void ExpectAllowedResult(const Step& step, const StepResult& result, const Records& before);

class ScenarioRunner {
public:
    ScenarioRunner(OmbraTest::TestHost& host, OmbraTest::TempFolder& folder);

    // Closes the channel, empties the folder and writes the scenario's initial file.
    void ResetFolder(const Scenario& scenario);
    // Runs the scenario's prepared steps; true when each returned 0 without a message.
    bool RunPrepared(const Scenario& scenario);
    StepResult Run(const Step& step);
    // The data file's bytes; empty when it is missing.
    std::string DataBytes() const;
    bool DataFileExists() const;
    bool TempFileExists() const;

private:
    OmbraTest::TestHost& host;
    OmbraTest::TempFolder& folder;
};

}  // namespace Reliability
