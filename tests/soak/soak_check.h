// The model of the data file's records and the check of a round against it. Every step whose
// mark was printed has completed, so its effect must be in the file; the one step after the last
// mark may have been under way when the process died, so its record may be old or new; no later
// step can have happened.
#pragma once

#include <string>
#include <vector>

#include "tests/soak/soak_plan.h"
#include "tests/support/data_file_model.h"

namespace Soak {

// Key to the value of every record that is present.
using OmbraTest::Records;

struct RoundCheck {
    int recordsChecked = 0;  // keys compared with the model
    std::vector<std::string> failures;
};

// Parses the reading script's output ("KEY COUNT [VALUE]" lines); false with `error` when a line
// is malformed or a key of the key space is missing.
bool ParseRecords(const std::string& output, const PlanShape& shape, Records& records,
                  std::string& error);

// Checks `observed` against `model` after the round's steps up to `lastMark`. When it holds, the
// model becomes the file's state (the step under way included when it did happen).
RoundCheck CheckRound(Records& model, const std::vector<Step>& steps, int lastMark,
                      const Records& observed, const PlanShape& shape);

}  // namespace Soak
